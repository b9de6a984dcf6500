#include "app/EntryPlayer.h"

#include "view/WaveEditor.h"

#include <QScreen>
#include <QTimer>
#include <QWidget>

EntryPlayer::EntryPlayer(WaveEditor &editor, QWidget &window)
    : QObject(&window), editor_(editor), window_(window), timer_(new QTimer(this))
{
    connect(timer_, &QTimer::timeout, this, &EntryPlayer::followPlay);
}

void EntryPlayer::playAll()
{
    if (player_.play(editor_.curwav()))
        startCursor();
}

void EntryPlayer::playEntry(bool fromPreutterance)
{
    if (!editor_.isEditable())
        return;
    const clsOto &e = *editor_.curOto();
    const double lengthMs = editor_.curwav().LengthMs;
    const double end = e.rightBoundMs(lengthMs);
    const double start = fromPreutterance ? e.prmLF + e.prmPR : e.prmLF;
    if (player_.playRange(editor_.curwav(), start, end))
        startCursor();
}

void EntryPlayer::stop()
{
    player_.stop();
    followPlay();
}

void EntryPlayer::startCursor()
{
    playingGeneration_ = editor_.curwav().generation();
    // At the screen's frame rate, from the device's own position.
    const qreal hz = window_.screen() ? window_.screen()->refreshRate() : 60;
    timer_->start(std::max(4, int(1000 / (hz > 0 ? hz : 60))));
    followPlay();
}

void EntryPlayer::followPlay()
{
    const qint64 heard = player_.position();
    if (heard < 0)
        timer_->stop();
    // Another wave selected meanwhile: its views get no cursor from this sound.
    const clsWave &wave = editor_.curwav();
    if (heard < 0 || wave.generation() != playingGeneration_)
        editor_.setPlayCursor(-1);
    else
        editor_.setPlayCursor(heard * 1000.0 / wave.Samplerate);
}
