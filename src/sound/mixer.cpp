// Voices, the paint buffer and the limiter.
#include "sound/mixer.h"

#include <algorithm>
#include <cmath>

namespace {

// Fades, in samples: 1.5 ms at a start and an end, 3 ms for a stolen voice.
constexpr std::int64_t kEdgeFade = 64;
constexpr std::int32_t kStealFade = 128;
// The limiter leaves everything below this alone (-6 dBFS) and bends what
// is above it towards kCeiling, never reaching it.
constexpr std::int32_t kKnee = 16384;
constexpr std::int32_t kUnity = 32768; // 1.0 in 1.15

// The master volume as a gain in 1.15: quadratic, which the ear takes as
// even steps.
std::int32_t MasterGain(const Mixer& mixer) {
    if (mixer.muted) {
        return 0;
    }
    return kUnity * mixer.volume * mixer.volume / (kMaxVolume * kMaxVolume);
}

// The voice to give way: the oldest of the kind when the kind is full,
// else a free voice, else the oldest of all.
Voice* VoiceFor(Mixer* mixer, int kind) {
    Voice* free = nullptr;
    Voice* oldest = nullptr;
    Voice* oldestOfKind = nullptr;
    int ofKind = 0;
    for (Voice& voice : mixer->voices) {
        if (voice.clip == nullptr) {
            free = free != nullptr ? free : &voice;
            continue;
        }
        oldest = oldest == nullptr || voice.order < oldest->order ? &voice : oldest;
        if (voice.kind == kind) {
            ++ofKind;
            oldestOfKind = oldestOfKind == nullptr || voice.order < oldestOfKind->order
                               ? &voice
                               : oldestOfKind;
        }
    }
    if (ofKind >= kMaxVoicesOfAKind) {
        return oldestOfKind;
    }
    return free != nullptr ? free : oldest;
}

// A stolen voice goes on a little in the fading list.
void FadeOut(Mixer* mixer, const Voice& voice) {
    Voice* slot = &mixer->fading[0];
    for (Voice& fading : mixer->fading) {
        if (fading.clip == nullptr) {
            slot = &fading;
            break;
        }
        slot = fading.fadeLeft < slot->fadeLeft ? &fading : slot;
    }
    *slot = voice;
    slot->fadeLeft = kStealFade;
}

// The gain of a voice at its place, in 1.15: edges faded in and out.
std::int32_t EdgeGain(const Voice& voice) {
    const std::int64_t at = voice.position >> 16;
    const std::int64_t left = voice.clip->length - at;
    const std::int64_t edge = std::min({at, left, kEdgeFade});
    std::int32_t gain = static_cast<std::int32_t>(kUnity * edge / kEdgeFade);
    if (voice.fadeLeft >= 0) {
        gain = gain * voice.fadeLeft / kStealFade;
    }
    return gain;
}

// One sample of a voice, between two of its clip's samples.
std::int32_t SampleAt(const Voice& voice) {
    const std::int64_t at = voice.position >> 16;
    const std::int32_t fraction = static_cast<std::int32_t>(voice.position & 0xffff);
    const std::int32_t a = voice.clip->samples[at];
    const std::int32_t b = at + 1 < voice.clip->length ? voice.clip->samples[at + 1] : 0;
    return a + (((b - a) * fraction) >> 16);
}

// Adds a voice into the paint buffer; frees it at its end.
void PaintVoice(Voice* voice, std::int32_t* paint, int frames) {
    for (int i = 0; i < frames; ++i) {
        if ((voice->position >> 16) >= voice->clip->length || voice->fadeLeft == 0) {
            voice->clip = nullptr;
            return;
        }
        const std::int32_t sample = (SampleAt(*voice) * EdgeGain(*voice)) >> 15;
        paint[2 * i] += (sample * voice->left) >> 15;
        paint[2 * i + 1] += (sample * voice->right) >> 15;
        voice->position += voice->step;
        if (voice->fadeLeft > 0) {
            --voice->fadeLeft;
        }
    }
}

std::int16_t Limit(std::int32_t value) {
    const std::int32_t size = value < 0 ? -value : value;
    if (size <= kKnee) {
        return static_cast<std::int16_t>(value);
    }
    const std::int64_t over = size - kKnee;
    const std::int64_t room = kCeiling - kKnee;
    const auto bent = static_cast<std::int32_t>(kKnee + room * over / (over + room));
    return static_cast<std::int16_t>(value < 0 ? -bent : bent);
}

} // namespace

void StartVoice(Mixer* mixer, int kind, const SoundClip* clip, float pan, float pitch) {
    if (clip == nullptr || clip->samples == nullptr || clip->length <= 0) {
        return;
    }
    Voice* voice = VoiceFor(mixer, kind);
    if (voice->clip != nullptr) {
        FadeOut(mixer, *voice);
    }
    // Equal power across the field: both sides at 0.71 in the middle.
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.7853982f / 2.0f;
    *voice = Voice{};
    voice->clip = clip;
    voice->kind = kind;
    voice->step = std::lround(65536.0f * std::clamp(pitch, 0.5f, 2.0f));
    voice->left = static_cast<std::int32_t>(std::lround(std::cos(angle) * (kUnity - 1)));
    voice->right = static_cast<std::int32_t>(std::lround(std::sin(angle) * (kUnity - 1)));
    voice->order = mixer->started++;
}

void Mix(Mixer* mixer, std::int16_t* out, int frames) {
    constexpr int kChunk = 256;
    std::int32_t paint[2 * kChunk];
    const std::int32_t master = MasterGain(*mixer);
    for (int done = 0; done < frames; done += kChunk) {
        const int count = std::min(kChunk, frames - done);
        std::fill(paint, paint + 2 * count, 0);
        for (Voice* list : {mixer->voices, mixer->fading}) {
            for (int v = 0; v < kMaxVoices; ++v) {
                if (list[v].clip != nullptr) {
                    PaintVoice(&list[v], paint, count);
                }
            }
        }
        for (int i = 0; i < 2 * count; ++i) {
            const std::int64_t scaled = static_cast<std::int64_t>(paint[i]) * master >> 15;
            const auto clamped =
                static_cast<std::int32_t>(std::clamp<std::int64_t>(scaled, -(1 << 30), 1 << 30));
            out[2 * done + i] = Limit(clamped);
        }
    }
}

int SoundingVoices(const Mixer& mixer) {
    int count = 0;
    for (int v = 0; v < kMaxVoices; ++v) {
        count += (mixer.voices[v].clip != nullptr) + (mixer.fading[v].clip != nullptr);
    }
    return count;
}
