// Fuzzing the replay's parsers. An input is a flagrun-replay command line, cut
// at each space, then a script, parsed as instructions and for a demo's final
// state. Results must be usable (runnable instructions, ordered screenshots)
// and messages one short printable line, whatever the input.
#include "fuzz_input.h"

#include "demo/demo_play.h"
#include "input/bindings.h"
#include "options.h"

#include <algorithm>

// A message quotes at most 40 bytes of the input, each as up to four, or
// names two state fields, each in at most three 16-byte names and a number.
static void CheckProblem(std::int64_t line, const std::string& problem) {
    Require(line >= 1 && !problem.empty() && problem.size() <= 200);
    Require(
        std::all_of(problem.begin(), problem.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }));
}

static void CheckOptions(std::vector<std::string> args) {
    std::vector<char*> argv(args.size() + 1);
    for (std::size_t i = 0; i < args.size(); ++i) {
        argv[i] = args[i].data();
    }
    Options options;
    std::string error;
    if (!ParseOptions(static_cast<int>(args.size()), argv.data(), &options, &error)) {
        Require(!error.empty());
        return;
    }
    Require(options.every >= 1);
    std::int64_t previous = 1;
    for (const Screenshot& shot : options.screenshots) {
        Require(shot.frame >= previous && !shot.path.empty());
        previous = shot.frame;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = Split({reinterpret_cast<const char*>(data), size}, 2);
    CheckOptions(Split(parts[0], 1 + std::count(parts[0].begin(), parts[0].end(), ' '), " "));
    std::vector<Instruction> instructions;
    ScriptError error;
    if (!ParseScript(parts[1], &instructions, &error)) {
        CheckProblem(error.line, error.problem);
    }
    for (const Instruction& instruction : instructions) {
        Require(instruction.count >= 1 && instruction.keyMask >> kKeyBindingCount == 0);
    }
    FinalState finalState;
    std::string message;
    if (!FindFinalState(parts[1], &finalState, &error)) {
        CheckProblem(error.line, error.problem);
    } else if (finalState.present && !MatchesFinalState(finalState, 0, GameState{}, &message)) {
        CheckProblem(1, message);
    }
    return 0;
}
