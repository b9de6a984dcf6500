#pragma once

#include <QByteArray>

class clsWave;

// Plays a wave's whole file image in the background through SDL's audio
// (nothing else of SDL is started). One device is opened on the first play
// and kept; a new play replaces a sound still playing. Without an audio
// device, or for an image SDL cannot decode, playing is silent: no message,
// no error for the caller to handle.
class WavePlayer {
public:
    WavePlayer() = default;
    ~WavePlayer();
    WavePlayer(const WavePlayer &) = delete;
    WavePlayer &operator=(const WavePlayer &) = delete;

    // The play button: nothing for a wave that is not loaded, otherwise its
    // byte image from the first sample. True when a sound was started.
    bool play(const clsWave &wave);
    bool playImage(const QByteArray &image);

    // Bytes queued and not yet handed to the device.
    quint32 queuedBytes() const;
    bool deviceOpen() const { return device_ != 0; }

private:
    bool startAudio();
    bool openDevice(int freq, int format, int channels);

    bool audioStarted_ = false;
    quint32 device_ = 0;
    int freq_ = 0, format_ = 0, channels_ = 0;
    // The image now playing. SDL copies the decoded samples into its queue,
    // so this is not needed for the sound itself; it is kept so that what is
    // heard always has its source at hand, and costs no copy (shared data).
    QByteArray playing_;
};
