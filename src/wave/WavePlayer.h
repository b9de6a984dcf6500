#pragma once

#include <QList>

class clsWave;

// Plays a wave in the background through SDL's audio (nothing else of SDL
// is started): the very samples the reader decoded and the views show, so
// every wave the reader accepts plays as it is drawn. One device is opened
// on the first play and kept; a new play replaces a sound still playing.
// Without an audio device playing is silent: no message, no error for the
// caller to handle.
class WavePlayer {
public:
    WavePlayer() = default;
    ~WavePlayer();
    WavePlayer(const WavePlayer &) = delete;
    WavePlayer &operator=(const WavePlayer &) = delete;

    // The play button: nothing for a wave that is not loaded, otherwise the
    // whole wave. True when a sound was started.
    bool play(const clsWave &wave);
    // 16-bit mono samples at rate samples per second.
    bool playSamples(const QList<qint16> &samples, int rate);

    // Bytes queued and not yet handed to the device.
    quint32 queuedBytes() const;
    bool deviceOpen() const { return device_ != 0; }

private:
    bool startAudio();
    bool openDevice(int rate);

    bool audioStarted_ = false;
    quint32 device_ = 0;
    int rate_ = 0;
};
