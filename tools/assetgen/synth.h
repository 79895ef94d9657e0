// A small synthesiser for the game's sound effects: one oscillator with a
// pitch course (slide, vibrato, arpeggio steps, repeats), two filters and a
// volume envelope, rendered to mono 16-bit samples.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int kSampleRate = 44100;

enum class Wave { kSquare, kSaw, kSine, kNoise };

struct SynthParams {
    Wave wave = Wave::kSquare;
    double duty = 0.5; // the square's high part of each period, 0 to 1
    // The envelope, in seconds: a rise, a hold that starts louder by the
    // fraction `punch` and eases back to full, and a fall to silence.
    double attack = 0.0;
    double sustain = 0.1;
    double punch = 0.0;
    double decay = 0.1;
    double frequency = 440.0;  // Hz at the start; noise draws 16 values a period
    double slide = 0.0;        // octaves per second
    double deltaSlide = 0.0;   // change of the slide, octaves per second per second
    double vibratoDepth = 0.0; // fraction of the frequency
    double vibratoSpeed = 0.0; // Hz
    // The pitch is multiplied by `arpeggioMultiplier` after each
    // `arpeggioDelay` seconds, `arpeggioSteps` times.
    double arpeggioMultiplier = 1.0;
    double arpeggioDelay = 0.0;
    int arpeggioSteps = 1;
    double repeatPeriod = 0.0; // seconds after which the pitch course starts over; 0 never
    double lowPass = 0.0;      // cutoff in Hz, 0 for none
    double highPass = 0.0;     // cutoff in Hz, 0 for none
    double volume = 0.5;       // the peak, from -6 dBFS at 0 to -3 dBFS at 1
};

// The sound at 44,100 Hz, as long as its envelope. It starts and ends with
// a 3 ms fade, carries no DC, and peaks where `volume` says. The same
// parameters and seed give the same samples on every run.
std::vector<std::int16_t> RenderSound(const SynthParams& params, std::uint32_t seed);
