// Fuzzing the replay's command line and script parsers, with what every
// result must hold: instructions that can run, and messages that are short
// and printable whatever the script held.
#include "fuzz_input.h"

#include "demo/demo_play.h"
#include "demo/script.h"
#include "input/bindings.h"
#include "options.h"

#include <cstdlib>
#include <string>
#include <vector>

// An offending word is shown in at most 40 bytes, each written as up to
// four; the rest of a message is its own fixed text. An out-of-sync message
// names two fields, each at most three 16-byte names and a 20-digit number.
static constexpr std::size_t kLongestProblem = 200;

static void CheckProblem(const std::string& problem) {
    if (problem.empty() || problem.size() > kLongestProblem) {
        std::abort();
    }
    for (char c : problem) {
        if (c < 0x20 || c > 0x7E) {
            std::abort();
        }
    }
}

static void CheckScript(const std::string& text) {
    std::vector<Instruction> instructions;
    ScriptError error;
    if (!ParseScript(text, &instructions, &error)) {
        if (error.line < 1) {
            std::abort();
        }
        CheckProblem(error.problem);
        return;
    }
    for (const Instruction& instruction : instructions) {
        if (instruction.count < 1 || instruction.keyMask >> kKeyBindingCount != 0) {
            std::abort();
        }
    }
}

// A demo's final state: refused with a line number, or compared with the
// start state, which it matches or names a field of in a short message.
static void CheckFinalState(const std::string& text) {
    FinalState finalState;
    ScriptError error;
    if (!FindFinalState(text, &finalState, &error)) {
        if (error.line < 1) {
            std::abort();
        }
        CheckProblem(error.problem);
        return;
    }
    std::string message;
    if (finalState.present && !MatchesFinalState(finalState, 0, GameState{}, &message)) {
        CheckProblem(message);
    }
}

static void CheckOptions(const std::vector<std::string>& args) {
    std::vector<std::string> owned = {"flagrun-replay"};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : owned) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    Options options;
    std::string error;
    if (!ParseOptions(static_cast<int>(owned.size()), argv.data(), &options, &error)) {
        if (error.empty()) {
            std::abort();
        }
        return;
    }
    std::int64_t previous = 0;
    for (const Screenshot& shot : options.screenshots) {
        if (shot.frame < 1 || shot.frame < previous || shot.path.empty()) {
            std::abort();
        }
        previous = shot.frame;
    }
    // An empty SCRIPT argument is taken as a path, which then cannot be read.
    if (options.every < 1) {
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReplayInput input = UnpackReplayInput({.data = data, .size = size});
    CheckOptions(input.args);
    CheckScript(input.script);
    CheckFinalState(input.script);
    return 0;
}
