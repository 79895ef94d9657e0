// The recipe of each sound effect. Each kind differs from every other in
// length, in pitch over its first 30 ms, or in the way its pitch goes: the
// two lasers a fifth and more apart, the ticks an octave apart.
#include "sounds.h"

#include "file_output.h"
#include "synth.h"
#include "wav_writer.h"

#include <cstdint>

namespace {

struct SoundRecipe {
    const char* file;
    SynthParams params;
};

const SoundRecipe kRecipes[] = {
    // A square falling fast from 2 kHz: 0.12 s.
    {.file = "laser1.wav",
     .params = {.duty = 0.35,
                .sustain = 0.03,
                .punch = 0.3,
                .decay = 0.09,
                .frequency = 2000,
                .slide = -12,
                .lowPass = 7000,
                .highPass = 200,
                .volume = 0.2}},
    // The same, from 1250 Hz: more than a fifth lower.
    {.file = "laser2.wav",
     .params = {.duty = 0.35,
                .sustain = 0.03,
                .punch = 0.3,
                .decay = 0.09,
                .frequency = 1250,
                .slide = -12,
                .lowPass = 7000,
                .highPass = 200,
                .volume = 0.2}},
    // A buzzing saw from 700 Hz, falling slower: 0.16 s.
    {.file = "enemy-laser.wav",
     .params = {.wave = Wave::kSaw,
                .sustain = 0.05,
                .punch = 0.2,
                .decay = 0.11,
                .frequency = 700,
                .slide = -4,
                .vibratoDepth = 0.05,
                .vibratoSpeed = 35,
                .lowPass = 5000,
                .volume = 0.3}},
    // A soft blip rising from 260 Hz: 0.10 s.
    {.file = "grenade-throw.wav",
     .params = {.attack = 0.01,
                .sustain = 0.03,
                .decay = 0.06,
                .frequency = 260,
                .slide = 14,
                .lowPass = 2500,
                .volume = 0.2}},
    // Low noise with a hard punch, rumbling down: 0.40 s.
    {.file = "grenade-burst.wav",
     .params = {.wave = Wave::kNoise,
                .sustain = 0.05,
                .punch = 0.8,
                .decay = 0.35,
                .frequency = 250,
                .slide = -2,
                .lowPass = 3000,
                .volume = 0.8}},
    // Brighter noise falling fast: 0.30 s.
    {.file = "enemy-killed.wav",
     .params = {.wave = Wave::kNoise,
                .sustain = 0.04,
                .punch = 0.5,
                .decay = 0.26,
                .frequency = 900,
                .slide = -6,
                .lowPass = 6000,
                .volume = 0.7}},
    // A wavering tone from 440 Hz, sinking ever faster: 0.50 s.
    {.file = "player-killed.wav",
     .params = {.sustain = 0.12,
                .decay = 0.38,
                .frequency = 440,
                .slide = -1.5,
                .deltaSlide = -6,
                .vibratoDepth = 0.06,
                .vibratoSpeed = 12,
                .lowPass = 4000,
                .volume = 0.4}},
    // A thin square stepping up a fifth from 1000 Hz: 0.15 s.
    {.file = "flag-pickup.wav",
     .params = {.duty = 0.25,
                .sustain = 0.06,
                .punch = 0.4,
                .decay = 0.09,
                .frequency = 1000,
                .arpeggioMultiplier = 1.5,
                .arpeggioDelay = 0.05,
                .lowPass = 8000,
                .volume = 0.3}},
    // A rising call from 659 Hz up a fifth, three times over: 0.50 s.
    {.file = "flag-home.wav",
     .params = {.sustain = 0.3,
                .punch = 0.2,
                .decay = 0.2,
                .frequency = 659,
                .slide = 1,
                .arpeggioMultiplier = 1.5,
                .arpeggioDelay = 0.08,
                .repeatPeriod = 0.18,
                .lowPass = 6000,
                .volume = 0.3}},
    // A short 880 Hz sine: 45 ms.
    {.file = "tick.wav",
     .params = {.wave = Wave::kSine,
                .attack = 0.002,
                .sustain = 0.01,
                .decay = 0.033,
                .frequency = 880,
                .volume = 0.4}},
    // The same an octave up and longer: 60 ms.
    {.file = "tick-last.wav",
     .params = {.wave = Wave::kSine,
                .attack = 0.002,
                .sustain = 0.02,
                .decay = 0.038,
                .frequency = 1760,
                .volume = 0.4}},
    // Four notes a major third apart from 523 Hz up to the octave: 0.40 s.
    {.file = "new-game.wav",
     .params = {.sustain = 0.3,
                .decay = 0.1,
                .frequency = 523,
                .arpeggioMultiplier = 1.26,
                .arpeggioDelay = 0.1,
                .arpeggioSteps = 3,
                .lowPass = 6000,
                .volume = 0.2}},
};

} // namespace

bool WriteSounds(const std::string& outDir) {
    const std::string dir = outDir + "/Sounds";
    if (!MakeDirectories(dir)) {
        return false;
    }
    std::uint32_t seed = 1;
    for (const SoundRecipe& recipe : kRecipes) {
        const std::string path = dir + "/" + recipe.file;
        if (!WriteFileBytes(path, EncodeWav(RenderSound(recipe.params, seed)))) {
            return false;
        }
        seed += 1;
    }
    return true;
}
