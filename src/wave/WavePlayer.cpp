#include "WavePlayer.h"

#include "clsWave.h"

#include <SDL.h>

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
    return playImage(wave.getAllData());
}

bool WavePlayer::startAudio()
{
    // Tried again on each play while it fails: a device may appear later.
    if (!audioStarted_)
        audioStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    return audioStarted_;
}

bool WavePlayer::openDevice(int freq, int format, int channels)
{
    if (device_ != 0 && freq == freq_ && format == format_ && channels == channels_)
        return true;
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    SDL_AudioSpec want{};
    want.freq = freq;
    want.format = SDL_AudioFormat(format);
    want.channels = Uint8(channels);
    want.samples = 2048;
    want.callback = nullptr;  // fed by SDL_QueueAudio
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // queue always holds the file's own format.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0)
        return false;
    freq_ = freq;
    format_ = format;
    channels_ = channels;
    return true;
}

bool WavePlayer::playImage(const QByteArray &image)
{
    if (image.isEmpty() || image.size() > SDL_MAX_SINT32 || !startAudio())
        return false;
    SDL_RWops *rw = SDL_RWFromConstMem(image.constData(), int(image.size()));
    if (!rw)
        return false;
    SDL_AudioSpec spec{};
    Uint8 *buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &buf, &len))
        return false;
    bool started = false;
    if (openDevice(spec.freq, spec.format, spec.channels)) {
        SDL_ClearQueuedAudio(device_);
        started = SDL_QueueAudio(device_, buf, len) == 0;
        SDL_PauseAudioDevice(device_, 0);
    }
    SDL_FreeWAV(buf);
    if (started)
        playing_ = image;
    return started;
}

quint32 WavePlayer::queuedBytes() const
{
    return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}
