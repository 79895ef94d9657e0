// flagrun_bench: what a whole frame costs against the bare flip loop that
// every frame has to run anyway, on the frames of a busy random game.
//
// Run it from the run directory (it loads Graphics/ and data/ like the
// game): cd build && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./flagrun_bench
//
// The game has no frame timer: every frame ends in SDL_Flip, so the loop of
// event drain, key read and flip is the baseline everything is compared
// with. After the usual table a summary gives each frame benchmark relative
// to that loop: with repetitions, the median of the per-repetition ratios
// and their range.

#include "app/frame.h"
#include "app/present.h"
#include "app/startup.h"
#include "input/bindings.h"
#include "net/rollback.h"
#include "rules/game_state.h"
#include "rules/geometry.h"
#include "rules/rules.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "view/drawn_areas.h"
#include "view/erase.h"
#include "view/images.h"
#include "view/render.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The frames of a random game, recorded once: the state each frame starts
// from and the keys held in it. Every frame benchmark plays them in order,
// one frame per iteration, so that each run measures the same game: moves,
// shots, kills, deaths, countdown frames and a new game.
struct RecordedPlay {
    std::vector<GameState> states;
    std::vector<FrameInput> inputs;
    std::vector<std::size_t> quietFrames; // frames whose rules draw nothing
    int kills = 0;
    int deaths = 0;
    int countdownFrames = 0;
    int newGames = 0;
};

RecordedPlay play;

// Long enough for both players to die and the countdown to start a new
// game; a run of the whole frame takes well under a second.
constexpr std::size_t kPlayFrames = 2000;
constexpr std::uint32_t kSeed = 22;

// Each player holds a random set of keys, triggers included, for 5 to 60
// frames at a time; opposite directions held together cancel, as they do
// on the keyboard.
PlayerInput RandomKeys(std::mt19937& random) {
    const std::uint32_t bits = random();
    PlayerInput keys;
    keys.up = (bits & 1) != 0;
    keys.down = (bits & 2) != 0;
    keys.left = (bits & 4) != 0;
    keys.right = (bits & 8) != 0;
    keys.laser = (bits & 16) != 0;
    keys.grenade = (bits & 32) != 0;
    return keys;
}

std::uint32_t RandomHold(std::mt19937& random) {
    return 5 + random() % 56;
}

void CountEvents(const GameState& before, const GameState& after, RecordedPlay* recorded) {
    recorded->kills += EnemyAlive(before.enemy1) && !EnemyAlive(after.enemy1);
    recorded->kills += EnemyAlive(before.enemy2) && !EnemyAlive(after.enemy2);
    recorded->deaths += PlayerAlive(before.player1) && !PlayerAlive(after.player1);
    recorded->deaths += PlayerAlive(before.player2) && !PlayerAlive(after.player2);
    const bool countdown = before.restartCountdown != after.restartCountdown;
    const bool newGame = countdown && after.restartCountdown == kCountdownStart;
    recorded->countdownFrames += countdown;
    recorded->newGames += newGame;
}

// The rules alone draw on the screen too (the countdown); the screen is
// made clean again before any benchmark.
bool RecordPlay(std::string* why) {
    std::mt19937 random(kSeed);
    SetStartValues(game);
    FrameInput keys;
    std::uint32_t hold1 = 0;
    std::uint32_t hold2 = 0;
    for (std::size_t frame = 0; frame < kPlayFrames; ++frame) {
        if (hold1 == 0) {
            keys.player1 = RandomKeys(random);
            hold1 = RandomHold(random);
        }
        if (hold2 == 0) {
            keys.player2 = RandomKeys(random);
            hold2 = RandomHold(random);
        }
        hold1 -= 1;
        hold2 -= 1;
        const GameState before = game;
        play.states.push_back(before);
        play.inputs.push_back(keys);
        RunRules(game, keys);
        CountEvents(before, game, &play);
        if (before.restartCountdown == game.restartCountdown) {
            play.quietFrames.push_back(frame);
        }
    }
    DrawBackground();
    if (play.kills == 0 || play.deaths < 2) {
        *why = "nobody was killed";
    } else if (play.countdownFrames == 0 || play.newGames == 0) {
        *why = "no countdown ran into a new game";
    } else {
        return true;
    }
    return false;
}

// Every frame benchmark starts on a clean screen at the first frame.
std::size_t StartPlayback() {
    DrawBackground();
    return 0;
}

std::size_t NextFrame(std::size_t frame) {
    return (frame + 1) % play.states.size();
}

// What the display costs: the loop of a frame with nothing in it, the
// event drain, the key read and SDL_Flip of the 640x530 screen.
void BM_FlipLoop(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrainEvents());
        const FrameInput keyboard = ReadFrameInput(SDL_GetKeyState(nullptr), DefaultKeyMap());
        benchmark::DoNotOptimize(keyboard);
        SDL_Flip(screen);
    }
}

// The window's frame, 640x530 times the scale asked for with
// SDL12COMPAT_WINDOW_SCALING (1 unless set), 4 bytes a pixel.
int WindowScale() {
    const char* asked = std::getenv("SDL12COMPAT_WINDOW_SCALING");
    return asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 1;
}

std::size_t WindowFrameBytes() {
    return static_cast<std::size_t>(kScreenWidth) * WindowScale() * kScreenHeight * WindowScale() *
           4;
}

// The floor under showing a frame: one plain copy of the window's pixels.
void BM_FrameCopy(benchmark::State& state) {
    const std::size_t bytes = WindowFrameBytes();
    std::vector<unsigned char> from(bytes, 1);
    std::vector<unsigned char> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// What the game's own presenter does to a frame before handing it to X:
// the screen scaled into an image of the window's size.
void BM_GameScaling(benchmark::State& state) {
    std::vector<Uint32> image(WindowFrameBytes() / 4);
    const int scale = WindowScale();
    for (auto _ : state) {
        ScaleNearest(screen, image.data(), kScreenWidth * scale * 4, scale);
        benchmark::ClobberMemory();
    }
}

// The mixer's work for one 512-sample buffer of the device, the size the
// game asks for, with all 16 voices sounding: a second-long loud tone each,
// at 16 pitches and places, all started again together once they end.
constexpr int kDeviceBuffer = 512;

void BM_Mixer16Voices(benchmark::State& state) {
    std::vector<std::int16_t> tone(kSampleRate);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<std::int16_t>(20000 * std::sin(6.2831853 * 440.0 * i / kSampleRate));
    }
    const SoundClip clip{tone.data(), static_cast<int>(tone.size())};
    Mixer mixer;
    std::vector<std::int16_t> out(2 * kDeviceBuffer);
    for (auto _ : state) {
        const bool allEnded = SoundingVoices(mixer) == 0;
        for (int v = 0; allEnded && v < kMaxVoices; ++v) {
            StartVoice(&mixer, v, &clip, v / 7.5f - 1.0f, 1.0f + v / 100.0f);
        }
        Mix(&mixer, out.data(), kDeviceBuffer);
        benchmark::ClobberMemory();
    }
}

// From a frame's cue to the device's callback that first mixes it, on the
// audio driver in use: 120 cues a frame (1/60 s) apart. Real time, not a
// benchmark of work: printed with the summary.
void PrintCueLatency() {
    FrameEvents laser;
    laser.player1.laserFired = true;
    std::vector<double> latencies;
    for (int i = 0; i < 120; ++i) {
        PlayFrameSounds(laser, game);
        SDL_Delay(1000 / 60);
        const double latency = LastCueToCallbackMs();
        if (latency >= 0) {
            latencies.push_back(latency);
        }
    }
    if (latencies.empty()) {
        std::printf("cue to callback: no callback ran (no audio device)\n");
        return;
    }
    const double sum = std::accumulate(latencies.begin(), latencies.end(), 0.0);
    std::printf("cue to callback over %zu cues: mean %.1f ms, max %.1f ms\n", latencies.size(),
                sum / static_cast<double>(latencies.size()),
                *std::max_element(latencies.begin(), latencies.end()));
}

// Online play's correction at its deepest usual length: the frames of the
// recorded game run again from 60 frames back, as when the other side's
// real input differs from the guess made a second ago.
constexpr std::int32_t kCorrectionFrames = 60;

void BM_Correction60Frames(benchmark::State& state) {
    static RollbackSession session;
    GameState start;
    SetStartValues(start);
    StartRollback(&session, 0, 0, start);
    for (std::int32_t f = 0; f < kCorrectionFrames; ++f) {
        AdvanceFrame(&session, static_cast<std::uint8_t>(MaskFromInput(play.inputs[f]) & 63));
    }
    for (auto _ : state) {
        session.firstWrong = session.frame - kCorrectionFrames;
        benchmark::DoNotOptimize(Correct(&session));
    }
}

// The game's frame: drain, key read, then the erase of the last frame, the
// rules, the drawing and the flip, on the recorded keys. The state copy
// keeps the frames those of the recording however often it wraps.
void BM_WholeFrame(benchmark::State& state) {
    std::size_t frame = StartPlayback();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrainEvents());
        const FrameInput keyboard = ReadFrameInput(SDL_GetKeyState(nullptr), DefaultKeyMap());
        benchmark::DoNotOptimize(keyboard);
        game = play.states[frame];
        RunFrame(play.inputs[frame]);
        frame = NextFrame(frame);
    }
}

// The other way of erasing, measured for comparison: the whole background
// drawn at the start of every frame instead of the last frame's rectangles.
void BM_WholeFrameRedrawingBackground(benchmark::State& state) {
    std::size_t frame = StartPlayback();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrainEvents());
        const FrameInput keyboard = ReadFrameInput(SDL_GetKeyState(nullptr), DefaultKeyMap());
        benchmark::DoNotOptimize(keyboard);
        game = play.states[frame];
        DrawBackground();
        ShowCountdowns(RunRules(game, play.inputs[frame]));
        DrawSprites(game);
        DrawHudText(game);
        SDL_Flip(screen);
        frame = NextFrame(frame);
    }
}

// The frame's own work: the erase, the rules and both drawing passes,
// without the drain, the key read and the flip.
void BM_FrameWithoutFlip(benchmark::State& state) {
    std::size_t frame = StartPlayback();
    for (auto _ : state) {
        game = play.states[frame];
        EraseLastFrame();
        ShowCountdowns(RunRules(game, play.inputs[frame]));
        DrawSprites(game);
        DrawHudText(game);
        frame = NextFrame(frame);
    }
}

// The rules of the frames in which they draw nothing, and the state copy
// that comes with them, to be subtracted.
void BM_RestoreState(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        game = play.states[play.quietFrames[i]];
        benchmark::ClobberMemory();
        i = (i + 1) % play.quietFrames.size();
    }
}

void BM_Rules(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const std::size_t frame = play.quietFrames[i];
        game = play.states[frame];
        RunRules(game, play.inputs[frame]);
        benchmark::ClobberMemory();
        i = (i + 1) % play.quietFrames.size();
    }
}

// A run of a frame benchmark plays the recorded game once through.
void PlayOnce(benchmark::internal::Benchmark* benchmark) {
    benchmark->Iterations(static_cast<benchmark::IterationCount>(kPlayFrames));
}

BENCHMARK(BM_FrameCopy)->Apply(PlayOnce);
BENCHMARK(BM_Mixer16Voices);
BENCHMARK(BM_Correction60Frames);
BENCHMARK(BM_GameScaling)->Apply(PlayOnce);
BENCHMARK(BM_FlipLoop)->Apply(PlayOnce);
BENCHMARK(BM_WholeFrame)->Apply(PlayOnce);
BENCHMARK(BM_WholeFrameRedrawingBackground)->Apply(PlayOnce);
BENCHMARK(BM_FrameWithoutFlip)->Apply(PlayOnce);
BENCHMARK(BM_RestoreState);
BENCHMARK(BM_Rules);

// CPU and real time per iteration of one run.
struct Timing {
    double cpuNs = 0;
    double realNs = 0;
};

// Prints the usual table and keeps, for the summary, the time per
// iteration of every repetition of every benchmark.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal, as the library's own reporter does.
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0 || run.run_type != Run::RT_Iteration) {
                continue;
            }
            const double iterations = static_cast<double>(run.iterations);
            const Timing timing = {.cpuNs = run.cpu_accumulated_time * 1e9 / iterations,
                                   .realNs = run.real_accumulated_time * 1e9 / iterations};
            repetitions_[run.run_name.function_name].push_back(timing);
        }
    }

    bool Has(const std::string& name) const { return repetitions_.count(name) != 0; }
    const std::vector<Timing>& Get(const std::string& name) const { return repetitions_.at(name); }

  private:
    std::map<std::string, std::vector<Timing>> repetitions_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) {
        return values[middle];
    }
    return (values[middle - 1] + values[middle]) / 2;
}

// Ratios of one benchmark to another, repetition by repetition.
struct Ratio {
    double median = 0;
    double low = 0;
    double high = 0;
    double realMedian = 0;
};

Ratio RatioOf(const std::vector<Timing>& part, const std::vector<Timing>& whole) {
    std::vector<double> cpu;
    std::vector<double> real;
    for (std::size_t i = 0; i < part.size() && i < whole.size(); ++i) {
        cpu.push_back(part[i].cpuNs / whole[i].cpuNs);
        real.push_back(part[i].realNs / whole[i].realNs);
    }
    const auto [low, high] = std::minmax_element(cpu.begin(), cpu.end());
    return {.median = Median(cpu), .low = *low, .high = *high, .realMedian = Median(real)};
}

double MedianCpu(const std::vector<Timing>& timings) {
    std::vector<double> cpu;
    for (const Timing& timing : timings) {
        cpu.push_back(timing.cpuNs);
    }
    return Median(cpu);
}

// Product targets: the rules well under the cost of anything on screen,
// and a whole frame barely dearer than the flip loop it has to run anyway.
constexpr double kRulesTargetNs = 100.0;
constexpr double kWholeFrameTargetRatio = 1.10;
// A buffer of 11.6 ms mixed in well under a per cent of it.
constexpr double kMixerTargetUs = 50.0;

const char* Verdict(bool met) {
    return met ? "met" : "NOT met";
}

// Headless, nothing in a frame waits, so CPU time is the work itself and
// is less disturbed by other processes than real time, which is shown too.
void PrintSummary(const SummaryReporter& results) {
    std::printf("\nThe recorded game: %zu frames, %d kills, %d deaths, %d countdown frames, "
                "%d new game(s)\n",
                play.states.size(), play.kills, play.deaths, play.countdownFrames, play.newGames);
    std::printf("Summary (CPU time; with repetitions, medians and the range over the "
                "repetitions; real time's median in brackets):\n");
    if (results.Has("BM_Rules") && results.Has("BM_RestoreState")) {
        const double rules = MedianCpu(results.Get("BM_Rules"));
        const double restore = MedianCpu(results.Get("BM_RestoreState"));
        std::printf("rules per frame = %.0f ns after subtracting the state copy of %.0f ns; "
                    "target < %.0f ns: %s\n",
                    rules - restore, restore, kRulesTargetNs,
                    Verdict(rules - restore < kRulesTargetNs));
    }
    if (!results.Has("BM_FlipLoop")) {
        return;
    }
    const std::vector<Timing>& flip = results.Get("BM_FlipLoop");
    std::printf("flip loop = %.1f us\n", MedianCpu(flip) / 1e3);
    if (results.Has("BM_FrameCopy")) {
        const Ratio ratio = RatioOf(flip, results.Get("BM_FrameCopy"));
        std::printf("flip loop / plain copy of the window's %zu bytes = %.2f (%.2f to %.2f) "
                    "(%.2f)\n",
                    WindowFrameBytes(), ratio.median, ratio.low, ratio.high, ratio.realMedian);
    }
    if (results.Has("BM_Correction60Frames") && results.Has("BM_WholeFrame")) {
        const Ratio ratio =
            RatioOf(results.Get("BM_Correction60Frames"), results.Get("BM_WholeFrame"));
        std::printf("a 60-frame correction = %.1f us, %.3f of a whole frame (%.3f to %.3f)\n",
                    MedianCpu(results.Get("BM_Correction60Frames")) / 1e3, ratio.median, ratio.low,
                    ratio.high);
    }
    if (results.Has("BM_Mixer16Voices")) {
        const double mixer = MedianCpu(results.Get("BM_Mixer16Voices"));
        const Ratio ratio = RatioOf(results.Get("BM_Mixer16Voices"), flip);
        std::printf("mixer, one 512-sample buffer with 16 voices = %.1f us, %.3f of the flip "
                    "loop (%.3f to %.3f); target <= %.0f us: %s\n",
                    mixer / 1e3, ratio.median, ratio.low, ratio.high, kMixerTargetUs,
                    Verdict(mixer / 1e3 <= kMixerTargetUs));
    }
    if (results.Has("BM_FrameCopy") && results.Has("BM_GameScaling")) {
        const Ratio ratio = RatioOf(results.Get("BM_GameScaling"), results.Get("BM_FrameCopy"));
        std::printf("the game's scaling / plain copy = %.2f (%.2f to %.2f) (%.2f)\n", ratio.median,
                    ratio.low, ratio.high, ratio.realMedian);
    }
    const char* names[] = {"BM_FrameWithoutFlip", "BM_WholeFrameRedrawingBackground",
                           "BM_WholeFrame"};
    for (const char* name : names) {
        if (!results.Has(name)) {
            continue;
        }
        const Ratio ratio = RatioOf(results.Get(name), flip);
        std::printf("%s / flip loop = %.3f (%.3f to %.3f) (%.3f)", name + 3, ratio.median,
                    ratio.low, ratio.high, ratio.realMedian);
        if (std::string(name) == "BM_WholeFrame") {
            std::printf("; target <= %.2f: %s", kWholeFrameTargetRatio,
                        Verdict(ratio.median <= kWholeFrameTargetRatio));
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    // Headless and unpaced unless told otherwise; the numbers are about the
    // game's own work and SDL's, not about waiting for a display's refresh.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "0", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    StartUp(); // the game's own start-up: window, images, background, fonts
    std::string why;
    if (!RecordPlay(&why)) {
        std::fprintf(stderr, "flagrun_bench: the recorded game is not busy enough: %s\n",
                     why.c_str());
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    PrintCueLatency();
    benchmark::Shutdown();
    ShutDown();
    return 0;
}
