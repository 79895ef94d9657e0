// Rendering a sound from its parameters: the oscillator eight times
// oversampled, the two filters and the envelope, then what every sound
// gets: DC removal, the fades at both ends and the peak level.
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int kOversampling = 8;
constexpr int kNoiseValuesPerPeriod = 16;
constexpr double kFadeSeconds = 0.003;
constexpr double kDcCutoff = 25.0;
constexpr double kMinFrequency = 20.0;
constexpr double kMaxFrequency = 20000.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kFullScale = 32767.0;

// xorshift32: the same stream on every system, unlike the library's
// distributions. Gives values from -1 up to 1.
double NextNoise(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483648.0 - 1.0;
}

// sin(2 pi turns), from the Taylor polynomial on a quarter period, so that
// the samples do not hang on the C library's sine.
double Sine(double turns) {
    double u = turns - std::floor(turns + 0.5);
    if (u > 0.25) {
        u = 0.5 - u;
    } else if (u < -0.25) {
        u = -0.5 - u;
    }
    const double x = 2 * kPi * u;
    const double x2 = x * x;
    return x * (1 - x2 / 6 * (1 - x2 / 20 * (1 - x2 / 42 * (1 - x2 / 72))));
}

// Where the pitch course is: it only ever multiplies, so that it needs the
// library's exp2 just once per start.
struct Pitch {
    double frequency = 0;
    double slideFactor = 1; // the frequency's change per sample
    double slideChange = 1; // slideFactor's change per sample
    int steps = 0;          // arpeggio steps taken
    long elapsed = 0;       // samples since the course started
};

Pitch StartPitch(const SynthParams& params) {
    Pitch pitch;
    pitch.frequency = params.frequency;
    pitch.slideFactor = std::exp2(params.slide / kSampleRate);
    pitch.slideChange = std::exp2(params.deltaSlide / kSampleRate / kSampleRate);
    return pitch;
}

void AdvancePitch(const SynthParams& params, Pitch& pitch) {
    pitch.elapsed += 1;
    const long repeat = std::lround(params.repeatPeriod * kSampleRate);
    if (repeat > 0 && pitch.elapsed >= repeat) {
        pitch = StartPitch(params);
        return;
    }
    pitch.slideFactor *= pitch.slideChange;
    pitch.frequency = std::clamp(pitch.frequency * pitch.slideFactor, kMinFrequency, kMaxFrequency);
    const long delay = std::lround(params.arpeggioDelay * kSampleRate);
    if (delay > 0 && pitch.steps < params.arpeggioSteps &&
        pitch.elapsed >= delay * (pitch.steps + 1)) {
        pitch.frequency *= params.arpeggioMultiplier;
        pitch.steps += 1;
    }
}

struct Oscillator {
    double phase = 0; // turns, 0 up to 1
    int noiseSlot = 0;
    double noise = 0;
    std::uint32_t random = 1;
};

double WaveValue(const SynthParams& params, const Oscillator& osc) {
    switch (params.wave) {
    case Wave::kSquare:
        return osc.phase < params.duty ? 1.0 : -1.0;
    case Wave::kSaw:
        return 2 * osc.phase - 1;
    case Wave::kSine:
        return Sine(osc.phase);
    case Wave::kNoise:
        return osc.noise;
    }
    return 0;
}

// One output sample: the mean of the wave at kOversampling points in it.
double Oscillate(const SynthParams& params, double frequency, Oscillator& osc) {
    const double step = frequency / (kSampleRate * kOversampling);
    double sum = 0;
    for (int i = 0; i < kOversampling; ++i) {
        osc.phase += step;
        osc.phase -= std::floor(osc.phase);
        const int slot = static_cast<int>(osc.phase * kNoiseValuesPerPeriod);
        if (slot != osc.noiseSlot) {
            osc.noiseSlot = slot;
            osc.noise = NextNoise(osc.random);
        }
        sum += WaveValue(params, osc);
    }
    return sum / kOversampling;
}

// A one-pole low-pass; its high-pass twin is the input less its output.
struct OnePole {
    double coefficient = 1;
    double state = 0;
};

// A cutoff of 0 or less is no filter: the low-pass passes all, the
// high-pass takes away nothing.
OnePole FilterAt(double cutoff, bool lowPass) {
    if (cutoff <= 0) {
        return {lowPass ? 1.0 : 0.0, 0};
    }
    return {1 - std::exp(-2 * kPi * cutoff / kSampleRate), 0};
}

double Filter(OnePole& filter, double x) {
    filter.state += filter.coefficient * (x - filter.state);
    return filter.state;
}

double Envelope(const SynthParams& params, long sample) {
    const double t = static_cast<double>(sample) / kSampleRate;
    if (t < params.attack) {
        return t / params.attack;
    }
    if (t < params.attack + params.sustain) {
        return 1 + params.punch * (1 - (t - params.attack) / params.sustain);
    }
    if (params.decay <= 0) {
        return 0;
    }
    return std::max(0.0, 1 - (t - params.attack - params.sustain) / params.decay);
}

std::vector<double> Synthesise(const SynthParams& params, std::uint32_t seed) {
    const double seconds = params.attack + params.sustain + params.decay;
    std::vector<double> signal(
        static_cast<std::size_t>(std::max(0L, std::lround(seconds * kSampleRate))));
    Oscillator osc;
    osc.random = seed != 0 ? seed : 0x9E3779B9u; // xorshift never leaves 0
    Pitch pitch = StartPitch(params);
    OnePole low = FilterAt(params.lowPass, true);
    OnePole high = FilterAt(params.highPass, false);
    for (std::size_t n = 0; n < signal.size(); ++n) {
        const double time = static_cast<double>(n) / kSampleRate;
        const double vibrato = 1 + params.vibratoDepth * Sine(params.vibratoSpeed * time);
        const double x = Filter(low, Oscillate(params, pitch.frequency * vibrato, osc));
        signal[n] = (x - Filter(high, x)) * Envelope(params, static_cast<long>(n));
        AdvancePitch(params, pitch);
    }
    return signal;
}

// A one-pole high-pass at kDcCutoff: y[n] = x[n] - x[n-1] + r y[n-1].
void RemoveDc(std::vector<double>& signal) {
    const double r = std::exp(-2 * kPi * kDcCutoff / kSampleRate);
    double previousIn = 0;
    double previousOut = 0;
    for (double& x : signal) {
        const double out = x - previousIn + r * previousOut;
        previousIn = x;
        previousOut = out;
        x = out;
    }
}

// Fades both ends in from and out to zero over kFadeSeconds, then takes
// away what offset the high-pass leaves where the sound is cut off, in the
// fade's shape so that the ends stay at zero.
void FadeEnds(std::vector<double>& signal) {
    const double fade = kFadeSeconds * kSampleRate;
    const std::size_t last = signal.empty() ? 0 : signal.size() - 1;
    std::vector<double> gains(signal.size());
    double sum = 0;
    double weight = 0;
    for (std::size_t n = 0; n < signal.size(); ++n) {
        gains[n] = std::min(1.0, static_cast<double>(std::min(n, last - n)) / fade);
        signal[n] *= gains[n];
        sum += signal[n];
        weight += gains[n];
    }
    const double offset = weight > 0 ? sum / weight : 0;
    for (std::size_t n = 0; n < signal.size(); ++n) {
        signal[n] -= offset * gains[n];
    }
}

// Scales the peak to the volume's level and rounds to 16 bits.
std::vector<std::int16_t> Quantise(const std::vector<double>& signal, double volume) {
    double peak = 0;
    for (const double x : signal) {
        peak = std::max(peak, std::fabs(x));
    }
    const double level = std::pow(10.0, (-6.0 + 3.0 * std::clamp(volume, 0.0, 1.0)) / 20.0);
    const double scale = peak > 0 ? level * kFullScale / peak : 0;
    std::vector<std::int16_t> samples(signal.size());
    for (std::size_t n = 0; n < signal.size(); ++n) {
        samples[n] = static_cast<std::int16_t>(std::lround(signal[n] * scale));
    }
    return samples;
}

} // namespace

std::vector<std::int16_t> RenderSound(const SynthParams& params, std::uint32_t seed) {
    std::vector<double> signal = Synthesise(params, seed);
    RemoveDc(signal);
    FadeEnds(signal);
    return Quantise(signal, params.volume);
}
