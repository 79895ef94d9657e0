// The mixer: every voice summed in 32 bits, the master volume applied once,
// a soft limiter below full scale, 16-bit stereo out. It knows nothing of
// SDL: the game runs it in SDL's audio callback, the replay tool offline.
#pragma once

#include <cstdint>

inline constexpr int kSampleRate = 44100;
inline constexpr int kSamplesPerFrame = 735; // 44,100 / 60
inline constexpr int kMaxVoices = 16;
inline constexpr int kMaxVoicesOfAKind = 3;
inline constexpr int kMaxVolume = 10;
// The limiter's ceiling: -1 dBFS.
inline constexpr int kCeiling = 29204;

// A sound's samples: mono, 16-bit, at kSampleRate.
struct SoundClip {
    const std::int16_t* samples = nullptr;
    int length = 0;
};

struct Voice {
    const SoundClip* clip = nullptr; // null: the voice is free
    int kind = 0;
    std::int64_t position = 0; // in the clip, 16.16 fixed point
    std::int64_t step = 65536; // 16.16: 65,536 plays at the clip's own pitch
    std::int32_t left = 0;     // gains, 1.15 fixed point
    std::int32_t right = 0;
    std::int32_t fadeLeft = -1; // samples left of a stolen voice's fade; -1: none
    std::uint64_t order = 0;    // when it started, to find the oldest
};

struct Mixer {
    Voice voices[kMaxVoices];
    Voice fading[kMaxVoices]; // stolen voices, fading out
    std::uint64_t started = 0;
    int volume = kMaxVolume; // 0 to kMaxVolume
    bool muted = false;
};

// Starts a clip of a kind (one number per sound): pan from -1 (left) to 1
// (right), pitch a ratio near 1. With every voice busy, or kMaxVoicesOfAKind
// of this kind, the oldest of them gives way with a short fade.
void StartVoice(Mixer* mixer, int kind, const SoundClip* clip, float pan, float pitch);

// Mixes `frames` stereo pairs into `out`, interleaved left and right.
void Mix(Mixer* mixer, std::int16_t* out, int frames);

// How many voices sound now, fading ones included.
int SoundingVoices(const Mixer& mixer);
