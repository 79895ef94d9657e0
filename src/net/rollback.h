// Rollback for two players on two machines. Each side plays its own
// player's input at once and guesses the other's as the last one it knows.
// Every frame's starting state is kept; when a real input arrives that
// differs from the guess, the session goes back to that frame and runs the
// rules again up to the present, drawing nothing. No sockets here: the
// caller carries the inputs (6 action bits a frame) between the sides.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"
#include "rules/input.h"

#include <cstdint>

// Frames of states and inputs kept: how far a guess may be corrected, and
// how far one side may run ahead of what it knows of the other.
inline constexpr std::int32_t kRollbackWindow = 128;
inline constexpr std::int32_t kMaxInputDelay = 4;

struct RollbackSession {
    int localPlayer = 0;               // 0: Player 1, 1: Player 2
    std::int32_t inputDelay = 0;       // a local input acts this many frames after it is read
    std::int32_t frame = 0;            // the next frame to run; frames 0 to frame - 1 have run
    GameState state;                   // the present: the start of `frame`
    GameState starts[kRollbackWindow]; // the start of each kept frame, by frame % window
    std::uint8_t local[kRollbackWindow];
    std::int32_t localFor[kRollbackWindow];  // the frame each local slot holds
    std::uint8_t remote[kRollbackWindow];    // the other side's real inputs
    std::int32_t remoteFor[kRollbackWindow]; // the frame each remote slot holds
    std::uint8_t used[kRollbackWindow];      // the remote input each frame last ran with
    std::int32_t remoteKnown = -1;           // every remote input up to this frame is known
    std::int32_t peerKnows = -1;             // the other side holds every local input up to here
    std::int32_t firstWrong = -1;            // the earliest frame run on a wrong guess; -1: none
    std::int32_t lastCorrection = 0;         // frames run again by the last correction
};

// A session at frame 0 from `start`.
void StartRollback(RollbackSession* session, int localPlayer, std::int32_t inputDelay,
                   const GameState& start);

// A session whose first frame is `first`, from the state before it: the
// other side has every input before it, and so has this side.
void StartRollbackAt(RollbackSession* session, int localPlayer, std::int32_t inputDelay,
                     const GameState& state, std::int32_t first);

// Whether the next frame may run: a frame whose other input is unknown
// needs room in the window to be corrected later, and a local input the
// other side has not acknowledged must stay to be sent again.
bool CanAdvance(const RollbackSession& session);

// Takes the local player's input read now (it acts inputDelay frames on),
// runs the next frame and gives what happened in it, to draw and play.
FrameEvents AdvanceFrame(RollbackSession* session, std::uint8_t localBits);

// The other side's input of one frame. A frame already known, or outside
// the window, changes nothing; false for one outside the window.
bool ReceiveRemote(RollbackSession* session, std::int32_t frame, std::uint8_t bits);

// The other side acknowledges every local input up to `frame`.
void NoteAcknowledged(RollbackSession* session, std::int32_t frame);

// Goes back to the first frame run on a wrong guess and runs the rules
// again up to the present; gives the number of frames run again.
std::int32_t Correct(RollbackSession* session);

// The local input of a frame, and the last frame a local input is known for.
std::uint8_t LocalInput(const RollbackSession& session, std::int32_t frame);
// The other side's input of a frame: the real one once known, else the guess.
std::uint8_t RemoteInput(const RollbackSession& session, std::int32_t frame);
std::int32_t LastLocalFrame(const RollbackSession& session);

// The last frame whose inputs are both known and whose state is corrected
// (after Correct): -1 before any.
std::int32_t ConfirmedFrame(const RollbackSession& session);

// The state after a frame that has run, within the window.
GameState StateAfter(const RollbackSession& session, std::int32_t frame);

// A frame's full input record from both sides' action bits.
FrameInput MergeInputs(int localPlayer, std::uint8_t localBits, std::uint8_t remoteBits);
