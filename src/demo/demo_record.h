// Recording a demo: every frame's input record written, run-length encoded,
// as a replay script that ends with the state the game ended in.
#pragma once

#include "rules/game_state.h"
#include "rules/input.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

// A demo's last line: this prefix, then the state after its last frame
// exactly as flagrun-replay prints it for that frame.
inline constexpr std::string_view kFinalStatePrefix = "# final state: ";

// A recording in progress. Lines go to `temporaryPath`; only a complete
// demo is renamed to `path`, so a crash never leaves a file that looks
// finished. The frames of the current run of equal records are counted
// and written when the record changes.
struct DemoRecording {
    std::FILE* file = nullptr;
    std::string path;
    std::string temporaryPath;
    std::uint32_t runKeys = 0; // the run's keys as a mask of kKeyBindings
    std::int32_t runLength = 0;
    std::int64_t frames = 0;
    int writeError = 0; // errno of the first failed write, 0 if none
};

// The name a demo is written under until it is complete: beside it in the
// same directory, where the final rename cannot cross file systems.
std::string DemoTemporaryPath(const std::string& path, long processId);

// The opening comment: what the file is, the version and date (UTC) of
// the recording, and what plays it.
std::string DemoHeader(std::string_view version, std::time_t when);

// Whether a demo can be recorded to `path`: the temporary file is created
// and removed again, so that a recording that cannot be written is refused
// before the window opens and a failed start-up leaves nothing behind.
// On failure *error holds one line saying why.
bool CheckDemoWritable(const std::string& path, std::string* error);

// Creates the temporary file and writes the header with the game's version
// and the time `when`. On failure *error holds one line saying why.
bool StartDemo(DemoRecording* demo, const std::string& path, std::time_t when, std::string* error);

// Adds one frame that ran, on this input record.
void RecordDemoFrame(DemoRecording* demo, const FrameInput& input);

// Writes the last run and the final-state comment for `state`, then moves
// the file into place. On failure the temporary file is removed and *error
// says why. Either way the recording is closed.
bool FinishDemo(DemoRecording* demo, const GameState& state, std::string* error);
