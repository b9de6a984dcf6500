#pragma once

#include "wave/SampleBuffer.h"

#include <QList>
#include <mutex>

class clsWave;

// Plays a wave in the background through SDL's audio (nothing else of SDL
// is started): the very samples the reader decoded and the views show, so
// every wave the reader accepts plays as it is drawn. One device is opened
// on the first play and kept; a new play replaces a sound still playing.
// Without an audio device playing is silent: no message, no error for the
// caller to handle.
//
// The device pulls the samples itself (SDL calls back for each buffer), so
// the player knows which sample the device is playing: position() follows
// the sound as heard, for the play cursor.
class WavePlayer {
public:
    WavePlayer() = default;
    ~WavePlayer();
    WavePlayer(const WavePlayer &) = delete;
    WavePlayer &operator=(const WavePlayer &) = delete;

    // The play button: nothing for a wave that is not loaded, otherwise the
    // whole wave. True when a sound was started.
    bool play(const clsWave &wave);
    // The samples of the wave from startMs to endMs (clipped to the wave):
    // an entry's stretch. Nothing for an empty stretch.
    bool playRange(const clsWave &wave, double startMs, double endMs);
    // 16-bit mono samples at rate samples per second, [first, last).
    bool playSamples(const SampleBuffer &samples, int rate, qsizetype first = 0, qsizetype last = -1);
    bool playSamples(const QList<qint16> &samples, int rate, qsizetype first = 0, qsizetype last = -1)
    {
        return playSamples(SampleBuffer::of(samples), rate, first, last);
    }
    // Plays the samples over and over until stop() or another play. While
    // a loop plays at the same rate, a second call swaps the samples in at
    // the same place (modulo their length): a sound made anew goes on in
    // time with the old.
    bool loopSamples(const SampleBuffer &samples, int rate);
    void stop();
    // Which play the sound comes from: a new number for every play, not for
    // a loop's swapped samples.
    quint64 soundNumber() const;

    // Whether a sound is playing, and the sample of the played samples the
    // listener hears now (an index into the samples given to playSamples),
    // -1 when nothing plays.
    bool isPlaying() const;
    qint64 position() const;

    bool deviceOpen() const { return device_ != 0; }

private:
    static void feed(void *player, unsigned char *stream, int bytes);
    void fill(qint16 *out, int count);
    bool startAudio();
    bool openDevice(int rate);

    bool audioStarted_ = false;
    quint32 device_ = 0;
    int rate_ = 0;
    int bufferFrames_ = 0;

    // What the device plays, shared with its callback under the lock.
    mutable std::mutex lock_;
    SampleBuffer samples_;
    qsizetype first_ = 0;
    qsizetype next_ = 0;  // the next sample handed to the device
    qsizetype end_ = 0;
    bool playing_ = false;
    bool loop_ = false;
    quint64 sound_ = 0;
    // When the device last took a buffer, and which sample is heard then:
    // the position is interpolated from there at the sample rate.
    bool taken_ = false;
    qint64 heardAtTake_ = 0;
    qint64 takenNs_ = 0;
};
