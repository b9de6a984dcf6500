#include "wave/WavePlayer.h"

#include "wave/clsWave.h"

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
    return playSamples(wave.getData(), wave.Samplerate);
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
    want.samples = 2048;
    want.callback = nullptr;  // fed by SDL_QueueAudio
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // queue always holds the wave's own samples.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0)
        return false;
    rate_ = rate;
    return true;
}

bool WavePlayer::playSamples(const QList<qint16> &samples, int rate)
{
    const qint64 bytes = qint64(samples.size()) * qint64(sizeof(qint16));
    if (samples.isEmpty() || bytes > SDL_MAX_UINT32 || rate <= 0 || !startAudio() || !openDevice(rate))
        return false;
    SDL_ClearQueuedAudio(device_);
    // SDL copies the samples into its queue; nothing here must outlive the call.
    const bool started = SDL_QueueAudio(device_, samples.constData(), Uint32(bytes)) == 0;
    SDL_PauseAudioDevice(device_, 0);
    return started;
}

quint32 WavePlayer::queuedBytes() const
{
    return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}
