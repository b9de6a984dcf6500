#include "app/Listener.h"

#include "analysis/Estimator.h"
#include "app/frmMain.h"
#include "ui/QtDialogs.h"
#include "view/WaveEditor.h"
#include "wave/WavePlayer.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace {

// The pitch used where nothing names one and the chosen note is no note.
constexpr double kMiddleCHz = 261.626;

}  // namespace

Listener::Listener(frmMain &window, WavePlayer &player, const modLocale &locale)
    : QObject(&window), window_(window), player_(player), locale_(locale)
{
    setObjectName(QStringLiteral("listener"));
    askSettings = [this](render::ListenSettings &settings) {
        ListenDialog dialog(settings, &window_);
        if (dialog.exec() != QDialog::Accepted || !dialog.settings())
            return false;
        settings = *dialog.settings();
        return true;
    };

    cursorTimer_ = new QTimer(this);
    cursorTimer_->setInterval(16);
    connect(cursorTimer_, &QTimer::timeout, this, &Listener::follow);
    // An entry is sung anew when it (or the one before it) is edited, and
    // another one once selected; the items follow whether one is on show.
    WaveEditor &editor = window_.waveEditor();
    connect(&window_.document(), &OtoDocument::entriesChanged, this, [this](const QList<int> &indexes) {
        if (mode_ != Mode::Off && (indexes.contains(sungIndex_) || indexes.contains(before_)))
            sing();
    });
    connect(&editor, &WaveEditor::viewsRedrawn, this, [this] {
        if (mode_ != Mode::Off && window_.isEditable() && window_.waveEditor().curIdx() != sungIndex_)
            sing();
    });
    connect(&window_.document(), &OtoDocument::entriesReplaced, this, [this] {
        if (mode_ != Mode::Off)
            stop();
    });
}

void Listener::run(Listening what)
{
    switch (what) {
    case Listening::Note: mnuListenNote_Click(); break;
    case Listening::Phrase: mnuListenPhrase_Click(); break;
    case Listening::Settings: mnuListenSett_Click(); break;
    }
}

void Listener::mnuListenNote_Click()
{
    if (mode_ == Mode::Note)
        stop();
    else
        start(Mode::Note);
}

void Listener::mnuListenPhrase_Click()
{
    if (mode_ == Mode::Phrase)
        stop();
    else
        start(Mode::Phrase);
}

void Listener::mnuListenSett_Click()
{
    render::ListenSettings chosen = settings_;
    if (!askSettings(chosen))
        return;
    settings_ = chosen;
    if (mode_ != Mode::Off)
        sing();
}

void Listener::start(Mode mode)
{
    if (!window_.isEditable())
        return;
    // From the start of the sound: whatever plays stops, and the plain
    // play's cursor with it.
    window_.stopPlaying();
    mode_ = mode;
    if (!sing())
        stop();
}

bool Listener::sing()
{
    if (!window_.isEditable())
        return false;
    const WaveEditor &editor = window_.waveEditor();
    const OtoEntries &entries = window_.document().clcOto();
    const int index = editor.curIdx();
    if (index < 0 || index >= entries.size())
        return false;
    const clsOto &entry = *entries[index];

    QStringList folderAliases;
    for (const auto &e : entries)
        if (e->folder == entry.folder)
            folderAliases.append(e->ALS);
    const std::optional<double> folderHz = render::folderNoteHz(entry.folder, folderAliases);
    const std::optional<double> chosenHz = render::parseNoteHz(settings_.note);
    hz_ = folderHz && !settings_.alwaysThisNote ? *folderHz : chosenHz.value_or(kMiddleCHz);

    const render::RenderNote note{entry, editor.curwav().samples().toList(), settings_.lengthMs};
    sungIndex_ = index;
    before_ = -1;
    if (mode_ == Mode::Note) {
        sound_ = render::singNote(note, hz_);
    } else {
        std::optional<render::RenderNote> before;
        const int b = render::precedingEntry(entries, index);
        if (b >= 0) {
            const clsOto &previous = *entries[b];
            const bool sameWave = previous.pathStr() == entry.pathStr();
            if (std::optional<QList<qint16>> wave = sameWave ? note.samples : waveOf(previous)) {
                before = render::RenderNote{previous, *wave, 0};
                before_ = b;
            }
        }
        sound_ = render::singPhrase(before, note, hz_, settings_.tempoBpm);
    }

    const QList<qint16> samples(sound_.samples.begin(), sound_.samples.end());
    if (!player_.loopSamples(SampleBuffer::of(samples), render::kRenderRate))
        return false;
    soundNumber_ = player_.soundNumber();
    cursorTimer_->start();
    follow();
    return true;
}

std::optional<QList<qint16>> Listener::waveOf(const clsOto &entry)
{
    const analysis::WaveSource source = analysis::folderWaves(window_.document().wrkpath(), &locale_);
    const QString key = source.cacheKey(entry.pathStr());
    if (!key.isEmpty() && key == heldWave_.key)
        return heldWave_.samples;
    const analysis::WaveData wave = source.load(entry.pathStr());
    if (!wave.error.isEmpty() || wave.sampleRate != render::kRenderRate)
        return std::nullopt;
    heldWave_ = {key, wave.samples};
    return wave.samples;
}

void Listener::stop()
{
    if (player_.soundNumber() == soundNumber_)
        player_.stop();
    mode_ = Mode::Off;
    cursorTimer_->stop();
    window_.waveEditor().setPlayCursor(-1);
}

void Listener::follow()
{
    const qint64 at = player_.position();
    if (player_.soundNumber() != soundNumber_) {
        // Another sound took the player: its own cursor follows it.
        mode_ = Mode::Off;
        cursorTimer_->stop();
        return;
    }
    if (at < 0) {
        stop();  // Esc
        return;
    }
    // The cursor where the entry's own wave sounds: over its note only.
    const double ms = at * 1000.0 / render::kRenderRate;
    const render::NotePlacement &p = sound_.listened;
    const bool onShow = window_.waveEditor().curIdx() == sungIndex_;
    window_.waveEditor().setPlayCursor(onShow && ms >= p.startMs && ms < p.endMs ? p.sourceMs(ms) : -1);
}

// ---- The settings dialog -------------------------------------------------------------

ListenDialog::ListenDialog(const render::ListenSettings &initial, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmListen"));
    setWindowTitle(QStringLiteral("Listen Settings - 試聽設定"));
    auto *form = new QFormLayout(this);
    note_ = new QLineEdit(initial.note, this);
    note_->setObjectName(QStringLiteral("txtListenNote"));
    note_->setToolTip(QStringLiteral("A note name (A4, F#3, Bb2) or a frequency in Hz"));
    always_ = new QCheckBox(QStringLiteral("Also where the folder names a note - 總用此音"), this);
    always_->setObjectName(QStringLiteral("chkListenAlways"));
    always_->setChecked(initial.alwaysThisNote);
    length_ = new QSpinBox(this);
    length_->setObjectName(QStringLiteral("txtListenLength"));
    length_->setRange(50, 10000);
    length_->setSuffix(QStringLiteral(" ms"));
    length_->setValue(int(initial.lengthMs));
    tempo_ = new QSpinBox(this);
    tempo_->setObjectName(QStringLiteral("txtListenTempo"));
    tempo_->setRange(30, 300);
    tempo_->setSuffix(QStringLiteral(" BPM"));
    tempo_->setValue(int(initial.tempoBpm));
    form->addRow(QStringLiteral("Note - 音高"), note_);
    form->addRow(QString(), always_);
    form->addRow(QStringLiteral("Note length - 音長"), length_);
    form->addRow(QStringLiteral("Phrase tempo - 速度"), tempo_);
    QDialogButtonBox *buttons = okCancelButtons(*this);
    form->addRow(buttons);
    // OK only for a note the renderer takes.
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    connect(note_, &QLineEdit::textChanged, this, [this, ok] { ok->setEnabled(this->settings().has_value()); });
    fitTitle(*this);
}

std::optional<render::ListenSettings> ListenDialog::settings() const
{
    if (!render::parseNoteHz(note_->text()))
        return std::nullopt;
    render::ListenSettings s;
    s.note = note_->text().trimmed();
    s.alwaysThisNote = always_->isChecked();
    s.lengthMs = length_->value();
    s.tempoBpm = tempo_->value();
    return s;
}
