// Loading the clips, the device and its callback, and the seeded pitch
// variation: a render of the same frames repeats exactly.
#include "sound/sound.h"

#include "sound/cues.h"
#include "sound/wav_check.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

Mixer mixer;
SoundClip clips[kSoundCount];
Uint8* clipBuffers[kSoundCount] = {};
bool deviceOpen = false;
std::uint32_t pitchSeed = 0x2545f491;

constexpr int kBufferSamples = 512;

// When the last cues were handed to the mixer, and how long after that the
// device's callback first mixed them.
using Clock = std::chrono::steady_clock;
Clock::time_point cuedAt;
bool cuePending = false;
double cueToCallbackMs = -1;

// A file that passes the header check and loads as the mixer's format;
// anything else leaves the slot empty, and that sound silent.
void LoadClip(int sound) {
    const std::string path = std::string("Sounds/") + kSoundFiles[sound];
    WavData data;
    SDL_AudioSpec clip;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!CheckWavHeader(path.c_str(), &data) ||
        SDL_LoadWAV(path.c_str(), &clip, &buffer, &length) == nullptr) {
        return;
    }
    if (clip.freq != kSampleRate || clip.format != AUDIO_S16LSB || clip.channels != 1) {
        SDL_FreeWAV(buffer);
        return;
    }
    clipBuffers[sound] = buffer;
    clips[sound] =
        SoundClip{reinterpret_cast<const std::int16_t*>(buffer), static_cast<int>(length / 2)};
}

void Callback(void*, Uint8* stream, int bytes) {
    if (cuePending) {
        cueToCallbackMs = std::chrono::duration<double, std::milli>(Clock::now() - cuedAt).count();
        cuePending = false;
    }
    Mix(&mixer, reinterpret_cast<std::int16_t*>(stream), bytes / 4);
}

// ALSA writes its own complaints about missing devices on standard error;
// they go to /dev/null while audio starts. SDL's reason is kept.
int QuietStderr() {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        dup2(devNull, STDERR_FILENO);
        close(devNull);
    }
    return saved;
}

void RestoreStderr(int saved) {
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
}

// False with SDL's reason in `why`, taken before the clean-up can change it.
bool OpenDevice(std::string* why) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        *why = SDL_GetError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kBufferSamples;
    wanted.callback = Callback;
    if (SDL_OpenAudio(&wanted, nullptr) < 0) {
        *why = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

// A few per cent up or down, from a generator seeded once.
float NextPitch() {
    pitchSeed ^= pitchSeed << 13;
    pitchSeed ^= pitchSeed >> 17;
    pitchSeed ^= pitchSeed << 5;
    return 1.0f + static_cast<float>(static_cast<int>(pitchSeed % 61) - 30) / 1000.0f;
}

} // namespace

void StartSound(const SoundOptions& options) {
    mixer.volume = options.volume;
    mixer.muted = options.muted;
    for (int sound = 0; sound < kSoundCount; ++sound) {
        LoadClip(sound);
    }
    if (!options.device) {
        return;
    }
    const int saved = QuietStderr();
    std::string why;
    deviceOpen = OpenDevice(&why);
    RestoreStderr(saved);
    if (!deviceOpen) {
        std::fprintf(stderr, "flagrun: sound off: %s\n", why.c_str());
        return;
    }
    SDL_PauseAudio(0);
}

void StopSound() {
    if (deviceOpen) {
        SDL_CloseAudio();
        deviceOpen = false;
    }
    for (int sound = 0; sound < kSoundCount; ++sound) {
        SDL_FreeWAV(clipBuffers[sound]);
        clipBuffers[sound] = nullptr;
        clips[sound] = SoundClip{};
    }
}

void PlayFrameSounds(const FrameEvents& events, const GameState& state) {
    const FrameCues cues = CuesOfFrame(events, state);
    if (cues.count == 0) {
        return;
    }
    SDL_LockAudio();
    for (int i = 0; i < cues.count; ++i) {
        const int sound = static_cast<int>(cues.cues[i].sound);
        StartVoice(&mixer, sound, &clips[sound], cues.cues[i].pan, NextPitch());
    }
    cuedAt = Clock::now();
    cuePending = true;
    SDL_UnlockAudio();
}

bool ToggleMute() {
    SDL_LockAudio();
    mixer.muted = !mixer.muted;
    const bool muted = mixer.muted;
    SDL_UnlockAudio();
    return muted;
}

int StepVolume(int step) {
    SDL_LockAudio();
    mixer.volume = std::clamp(mixer.volume + step, 0, kMaxVolume);
    const int volume = mixer.volume;
    SDL_UnlockAudio();
    return volume;
}

void MixFrameOffline(std::int16_t* out) {
    Mix(&mixer, out, kSamplesPerFrame);
}

double LastCueToCallbackMs() {
    SDL_LockAudio();
    const double latency = cuePending ? -1 : cueToCallbackMs;
    SDL_UnlockAudio();
    return latency;
}

bool SoundLoaded(int sound) {
    return clips[sound].length > 0;
}
