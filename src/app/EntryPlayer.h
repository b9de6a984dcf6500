#pragma once

#include "wave/WavePlayer.h"

#include <QObject>

class QTimer;
class QWidget;
class WaveEditor;

// Plays the wave on show, the whole of it or the current entry's stretch,
// and moves the views' play cursor with what the device is playing, at the
// screen's frame rate.
class EntryPlayer : public QObject {
    Q_OBJECT
public:
    // window: the screen it stands on gives the frame rate.
    EntryPlayer(WaveEditor &editor, QWidget &window);

    void playAll();
    // The entry's stretch, left to right bound, or from its preutterance.
    void playEntry(bool fromPreutterance);
    void stop();
    // The device, for the sounds the window renders (the Listen menu).
    WavePlayer &device() { return player_; }

private:
    void startCursor();
    void followPlay();

    WaveEditor &editor_;
    QWidget &window_;
    WavePlayer player_;
    QTimer *timer_;
    quint64 playingGeneration_ = 0;  // the wave the sound comes from
};
