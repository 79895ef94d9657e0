// What a run does with demos and pads around the main loop: a recording
// that follows every frame that runs, or a demo that supplies the frames'
// input records instead of the keyboard and the gamepads.
#pragma once

#include "app/frame.h"
#include "demo/demo_play.h"
#include "demo/demo_record.h"
#include "rules/input.h"

#include <string>

enum class DemoMode { kNone, kRecord, kPlay };

struct DemoSession {
    DemoMode mode = DemoMode::kNone;
    const char* program = "flagrun"; // names the program in its messages
    std::string path;                // as the program will open it
    DemoRecording recording;
    Demo demo;
    DemoPlayback playback;
};

// The installed launcher runs the game inside its data directory; it
// passes the directory it was started from in this variable, so that a
// relative FILE still means a file there.
inline constexpr const char* kCallerDirectoryVariable = "FLAGRUN_CALLER_DIR";

// Before start-up: checks that the demo to record can be written, or loads
// the demo to play. Returns 0 to go on, or the exit status after a message
// on standard error: 1 for a demo that cannot be written, 2 for one that
// cannot be read or parsed.
int PrepareDemo(DemoSession* session, DemoMode mode, const char* path);

// After start-up: opens the gamepads, unless a demo is played, and starts
// the recording, if any. Returns 0 or, after a message, the exit status 1.
int BeginDemo(DemoSession* session);

// The input record of the next frame that runs: the demo's, or the held
// keys combined with the gamepads. False when the demo played is over.
bool NextFrameInput(DemoSession* session, FrameInput* input);

// A frame ran on `input`: the recording takes it.
void FrameRan(DemoSession* session, const FrameInput& input);

// The next frame of the run, the same for the game, a demo played and the
// replay tool: its input record, the frame itself, and the recording; what
// happened in it goes to `happened`, for the sound. False, with nothing
// run, once a demo played is over.
bool PlayFrame(DemoSession* session, FrameDrawing drawing, FrameEvents* happened = nullptr);

// After the loop: completes the recording, or checks that a demo played to
// its end left its final state. Returns the exit status: 0, 1 for a
// recording that could not be completed, 3 for a demo out of sync.
int EndDemo(DemoSession* session);
