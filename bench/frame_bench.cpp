// flagrun_bench: what one frame costs, piece by piece, against the flip that
// ends every frame.
//
// Run it from the run directory (it loads Graphics/ and data/ like the
// game): cd build && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./flagrun_bench
//
// The game has no frame timer: every frame ends in SDL_Flip, so the flip is
// the baseline everything is compared with. After the usual table a summary
// gives the rules' share of a frame and the whole frame relative to the
// bare flip.

#include "draw/images.h"
#include "draw/render.h"
#include "game/frame.h"
#include "game/game_state.h"
#include "game/startup.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Both players walk and hold every trigger, so that in the measured frame
// every branch that a lively game takes runs: moves, flights, bounds and
// all twelve hit tests against live targets.
constexpr PlayerInput kBusyPlayer = {
    .down = true,
    .right = true,
    .laser = true,
    .grenade = true,
};
constexpr FrameInput kBusyKeys = {.player1 = kBusyPlayer, .player2 = kBusyPlayer};
constexpr FrameInput kNoKeys = {};

// The state the frame benchmarks start every iteration from: a game some
// frames in, with everyone alive and every projectile in flight.
GameState busyState;

bool MakeBusyState(std::string* why) {
    SetStartValues();
    for (int frame = 0; frame < 40; ++frame) {
        RunRules(frame < 10 ? kNoKeys : kBusyKeys);
    }
    const GameState& g = game;
    if (!PlayerAlive(g.player1) || !PlayerAlive(g.player2)) {
        *why = "a player died while setting up";
    } else if (!EnemyAlive(g.enemy1) || !EnemyAlive(g.enemy2)) {
        *why = "an enemy died while setting up";
    } else if (!g.player1.laser.inFlight || !g.player2.laser.inFlight ||
               !g.player1.grenade.inFlight || !g.player2.grenade.inFlight) {
        *why = "a projectile is not in flight";
    } else if (g.restartCountdown != kCountdownStart) {
        *why = "a countdown is running";
    } else {
        busyState = game;
        return true;
    }
    return false;
}

// The baseline of the baselines: putting the saved state back, which the
// rule benchmarks do in every iteration.
void BM_RestoreState(benchmark::State& state) {
    for (auto _ : state) {
        game = busyState;
        benchmark::ClobberMemory();
    }
}

// What the display costs: SDL_Flip on the 640x530 screen, nothing drawn.
void BM_BareFlip(benchmark::State& state) {
    for (auto _ : state) {
        SDL_Flip(screen);
    }
}

// One frame's rules, from the players' moves to the both-dead countdown.
void BM_Rules(benchmark::State& state) {
    for (auto _ : state) {
        game = busyState;
        RunRules(kBusyKeys);
        benchmark::ClobberMemory();
    }
}

// The sprite and text passes without the flip.
void BM_DrawSpritesAndHudText(benchmark::State& state) {
    game = busyState;
    for (auto _ : state) {
        DrawSprites();
        DrawHudText();
        benchmark::ClobberMemory();
    }
}

// The drawing step of a frame: both passes and the flip.
void BM_RenderFrame(benchmark::State& state) {
    game = busyState;
    for (auto _ : state) {
        RenderFrame();
    }
}

// A whole frame after the event drain: the rules, then the drawing and the
// flip, from the busy state each time.
void BM_WholeFrame(benchmark::State& state) {
    for (auto _ : state) {
        game = busyState;
        RunFrame(kBusyKeys);
    }
}

BENCHMARK(BM_RestoreState);
BENCHMARK(BM_BareFlip);
BENCHMARK(BM_Rules);
BENCHMARK(BM_DrawSpritesAndHudText);
BENCHMARK(BM_RenderFrame);
BENCHMARK(BM_WholeFrame);

// Prints the usual table and keeps, for the summary, the time per
// iteration of every benchmark: of its run, or with --benchmark_repetitions
// the median of its repetitions.
struct Timing {
    double cpuNs = 0;
    double realNs = 0;
};

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal, as the library's own reporter does.
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) {
                continue;
            }
            // A median comes after the repetitions it summarises.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string& name = run.run_name.function_name;
            if (median || (run.run_type == Run::RT_Iteration && medians_.count(name) == 0)) {
                const double iterations = static_cast<double>(run.iterations);
                timings_[name] = Timing{run.cpu_accumulated_time * 1e9 / iterations,
                                        run.real_accumulated_time * 1e9 / iterations};
            }
            if (median) {
                medians_.insert(name);
            }
        }
    }

    bool Has(const std::string& name) const { return timings_.count(name) != 0; }
    const Timing& Get(const std::string& name) const { return timings_.at(name); }

  private:
    std::map<std::string, Timing> timings_;
    std::set<std::string> medians_;
};

// Product targets: the rules well under the cost of anything on screen,
// and a whole frame barely dearer than the flip it has to wait for anyway.
constexpr double kRulesTargetNs = 100.0;
constexpr double kWholeFrameTargetRatio = 1.15;

const char* Verdict(bool met) {
    return met ? "met" : "NOT met";
}

// Headless, nothing in a frame waits, so CPU time is the work itself and
// is less disturbed by other processes than real time, which is shown too.
void PrintSummary(const SummaryReporter& results) {
    std::printf("\nSummary (CPU time per iteration, real time in brackets; medians with "
                "repetitions):\n");
    if (results.Has("BM_Rules") && results.Has("BM_RestoreState")) {
        const Timing& rules = results.Get("BM_Rules");
        const Timing& restore = results.Get("BM_RestoreState");
        const double cpu = rules.cpuNs - restore.cpuNs;
        std::printf("rules per frame = %.0f ns (%.0f ns) after subtracting the state restore "
                    "of %.0f ns; target < %.0f ns: %s\n",
                    cpu, rules.realNs - restore.realNs, restore.cpuNs, kRulesTargetNs,
                    Verdict(cpu < kRulesTargetNs));
    }
    if (!results.Has("BM_BareFlip")) {
        return;
    }
    const Timing& flip = results.Get("BM_BareFlip");
    std::printf("bare flip = %.1f us (%.1f us)\n", flip.cpuNs / 1e3, flip.realNs / 1e3);
    const auto ratio = [&](const char* label, const char* name) {
        const Timing& t = results.Get(name);
        const double cpu = t.cpuNs / flip.cpuNs;
        std::printf("%s / bare flip = %.2f (%.2f)", label, cpu, t.realNs / flip.realNs);
        return cpu;
    };
    if (results.Has("BM_DrawSpritesAndHudText")) {
        ratio("drawing without the flip", "BM_DrawSpritesAndHudText");
        std::printf("\n");
    }
    if (results.Has("BM_RenderFrame")) {
        ratio("render frame", "BM_RenderFrame");
        std::printf("\n");
    }
    if (results.Has("BM_WholeFrame")) {
        const double whole = ratio("whole frame", "BM_WholeFrame");
        std::printf("; target <= %.2f: %s\n", kWholeFrameTargetRatio,
                    Verdict(whole <= kWholeFrameTargetRatio));
    }
}

} // namespace

int main(int argc, char** argv) {
    // Headless unless told otherwise; the numbers are about the game's own
    // work and SDL's, not about waiting for a display's refresh.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    StartUp(); // the game's own start-up: window, images, background, fonts
    std::string why;
    if (!MakeBusyState(&why)) {
        std::fprintf(stderr, "flagrun_bench: cannot set up a busy game: %s\n", why.c_str());
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    ShutDown();
    return 0;
}
