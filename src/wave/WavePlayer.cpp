#include "wave/WavePlayer.h"

#include "wave/clsWave.h"

#include <QDeadlineTimer>
#include <SDL.h>
#include <chrono>
#include <cmath>
#include <cstring>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

WavePlayer::~WavePlayer()
{
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
    if (audioStarted_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool WavePlayer::play(const clsWave &wave)
{
    if (!wave.Valid)
        return false;
    return playSamples(wave.samples(), wave.Samplerate);
}

bool WavePlayer::playRange(const clsWave &wave, double startMs, double endMs)
{
    if (!wave.Valid || !(endMs > startMs))
        return false;
    const double perMs = wave.Samplerate / 1000.0;
    const qsizetype first = qsizetype(std::clamp<double>(std::round(startMs * perMs), 0, wave.Length));
    const qsizetype last = qsizetype(std::clamp<double>(std::round(endMs * perMs), 0, wave.Length));
    if (last <= first)
        return false;
    return playSamples(wave.samples(), wave.Samplerate, first, last);
}

bool WavePlayer::startAudio()
{
    // Tried again on each play while it fails: a device may appear later.
    if (!audioStarted_)
        audioStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return audioStarted_;
}

bool WavePlayer::openDevice(int rate)
{
    if (device_ != 0 && rate == rate_)
        return true;
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    // Small buffers: the device asks often, so the play cursor knows where
    // the sound is to within a few milliseconds.
    want.samples = 512;
    want.callback = &WavePlayer::feed;
    want.userdata = this;
    SDL_AudioSpec got{};
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // callback always hands over the wave's own samples.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
    if (device_ == 0)
        return false;
    rate_ = rate;
    bufferFrames_ = got.samples;
    return true;
}

bool WavePlayer::playSamples(const SampleBuffer &samples, int rate, qsizetype first, qsizetype last)
{
    if (last < 0 || last > samples.size())
        last = samples.size();
    if (first < 0 || first >= last || rate <= 0 || !startAudio() || !openDevice(rate))
        return false;
    {
        const std::lock_guard guard(lock_);
        samples_ = samples;  // shared, not copied
        first_ = next_ = first;
        end_ = last;
        playing_ = true;
        loop_ = false;
        taken_ = false;
        ++sound_;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool WavePlayer::loopSamples(const SampleBuffer &samples, int rate)
{
    if (samples.isEmpty() || rate <= 0 || !startAudio() || !openDevice(rate))
        return false;
    {
        const std::lock_guard guard(lock_);
        const bool swap = playing_ && loop_;
        samples_ = samples;
        first_ = 0;
        end_ = samples.size();
        if (swap) {
            const qsizetype wrapped = next_ % end_;
            heardAtTake_ -= next_ - wrapped;
            next_ = wrapped;
        } else {
            next_ = 0;
            taken_ = false;
            ++sound_;
        }
        playing_ = true;
        loop_ = true;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

quint64 WavePlayer::soundNumber() const
{
    const std::lock_guard guard(lock_);
    return sound_;
}

void WavePlayer::stop()
{
    const std::lock_guard guard(lock_);
    playing_ = false;
}

void WavePlayer::feed(void *player, unsigned char *stream, int bytes)
{
    static_cast<WavePlayer *>(player)->fill(reinterpret_cast<qint16 *>(stream), bytes / int(sizeof(qint16)));
}

void WavePlayer::fill(qint16 *out, int count)
{
    const std::lock_guard guard(lock_);
    if (playing_ && loop_) {
        heardAtTake_ = next_ - bufferFrames_;
        takenNs_ = nowNs();
        taken_ = true;
        for (int done = 0; done < count;) {
            const qsizetype n = std::min<qsizetype>(count - done, end_ - next_);
            std::memcpy(out + done, samples_.data() + next_, size_t(n) * sizeof(qint16));
            done += int(n);
            next_ = (next_ + n) % end_;
        }
        return;
    }
    const qsizetype n = playing_ ? std::min<qsizetype>(count, end_ - next_) : 0;
    if (n > 0)
        std::memcpy(out, samples_.data() + next_, size_t(n) * sizeof(qint16));
    std::memset(out + n, 0, size_t(count - n) * sizeof(qint16));
    if (!playing_ || n == 0)
        return;  // after the last samples, the time keeps counting from their take
    // The buffer taken now is heard once the one the device holds has
    // played: what is heard at this moment began a buffer earlier.
    heardAtTake_ = next_ - bufferFrames_;
    takenNs_ = nowNs();
    taken_ = true;
    next_ += n;
}

qint64 WavePlayer::position() const
{
    const std::lock_guard guard(lock_);
    if (!playing_)
        return -1;
    if (!taken_)
        return first_;  // the device has not asked yet
    // Between two requests of the device the sound moves on at the sample
    // rate, never further than the buffer it holds, until the last samples
    // were handed over: then on to their end.
    const double elapsed = (nowNs() - takenNs_) / 1e9;
    const qint64 moved = qint64(elapsed * rate_);
    if (loop_) {
        const qint64 heard = heardAtTake_ + std::min<qint64>(moved, bufferFrames_);
        return ((heard % end_) + end_) % end_;
    }
    const qint64 heard = heardAtTake_ + (next_ < end_ ? std::min<qint64>(moved, bufferFrames_) : moved);
    if (heard >= end_)
        return -1;  // played out
    return std::max<qint64>(heard, first_);
}

bool WavePlayer::isPlaying() const
{
    return position() >= 0;
}
