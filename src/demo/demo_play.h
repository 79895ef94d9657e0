// Playing a script or a demo back, in the game or the replay tool: reading
// it, the frames it runs, and the check that the replay ends in the state
// the recording ended in.
#pragma once

#include "demo/script.h"
#include "rules/game_state.h"
#include "rules/input.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The state a demo says its last frame left, as its final-state comment
// holds it: one line of flagrun-replay's output, without the newline.
struct FinalState {
    bool present = false;
    std::string line;
};

// Finds the final-state comment of a script's text: the last line that
// starts with kFinalStatePrefix. A script without one has none to check;
// one whose rest is not a state line is refused with its line number.
bool FindFinalState(std::string_view text, FinalState* finalState, ScriptError* error);

// Whether the game state after `frame` frames is the final state. If not,
// *message is "demo out of sync: expected F=V got F=V", naming the first
// field that differs.
bool MatchesFinalState(const FinalState& finalState, std::int64_t frame, const GameState& state,
                       std::string* message);

// The number of frames a script runs: every count, except that a line with
// escape ends the run after its first frame.
std::int64_t ScriptFrames(const std::vector<Instruction>& script);

struct Demo {
    std::vector<Instruction> script;
    FinalState finalState;
    std::int64_t frames = 0;
};

// Reads and parses the script or demo at `path`, or standard input for
// "-". On failure *error holds the line at fault and the problem, or line 0
// and the system's reason when the file could not be read.
bool ReadDemo(const std::string& path, Demo* demo, ScriptError* error);

// As ReadDemo, with the failure as one line naming the demo.
bool LoadDemo(const std::string& path, Demo* demo, std::string* error);

// Where a playback is: the next script line, the frames left of the
// current one and its keys, and the frames played.
struct DemoPlayback {
    std::size_t next = 0;
    std::int32_t framesLeft = 0;
    FrameInput input;
    std::int64_t frame = 0;
};

// The input record of the demo's next frame in *input; false once every
// frame of the demo has been played.
bool NextDemoFrame(const Demo& demo, DemoPlayback* playback, FrameInput* input);
