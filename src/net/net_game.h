// One side of an online game, without sockets or a clock of its own: the
// handshake, the inputs both ways, the check of every confirmed frame, the
// pause, leaving and silence. The caller hands it what arrives and the
// time, runs the frames it allows, and sends what it puts in its outbox.
#pragma once

#include "net/protocol.h"
#include "net/rollback.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::uint16_t kProtocolVersion = 1;
// Silence from the other side: a notice after this long, the end after this.
inline constexpr std::int64_t kQuietNoticeMs = 1000;
inline constexpr std::int64_t kGiveUpMs = 30000; // an outage of 20 s is lived through
// How long a side that leaves waits for the inputs both sides need to end
// on the same frame.
inline constexpr std::int64_t kLeaveWaitMs = 3000;
// A host sends its state to repair a desync at most once in this time; a
// joiner whose state differs waits this long for it before both stop.
inline constexpr std::int64_t kRepairGapMs = 500;
inline constexpr std::int64_t kRepairWaitMs = 3000;
// The frames over which the correction count of the status line is summed.
inline constexpr int kCorrectionRing = 60;
// The packets over which the frame advantage is measured.
inline constexpr int kTimingRing = 60;

enum class NetPhase { kHandshake, kPlaying, kLeaving, kOver };

// Why a game ended. Only kLeft and kPeerLeft are a normal end.
enum class NetEnd { kNone, kLeft, kPeerLeft, kRefused, kDesync, kSilent, kLost };

struct Outgoing {
    Message message;
    bool reliable = false;
};

struct NetGame {
    Hello mine;
    RollbackSession session;
    NetPhase phase = NetPhase::kHandshake;
    NetEnd end = NetEnd::kNone;
    std::string why;            // the end, in a line for the player
    std::int32_t endFrame = -1; // the game ends before this frame; -1 while it goes on
    std::int64_t lastHeardMs = 0;
    std::int64_t startAtMs = 0; // the first frame runs no sooner
    bool heardInputs = false;   // the other side took this side's Hello
    std::int64_t leaveStartedMs = 0;
    // The hash of every confirmed state chained: a match at a frame is a
    // match at every frame before it.
    std::uint64_t chain[kRollbackWindow] = {};
    std::int32_t chained = -1;                 // the last frame in the chain
    std::int32_t checked = -1;                 // the last frame found equal on both sides
    std::int32_t repaired = -1;                // the joiner took the host's state after this frame
    std::int64_t repairSentMs = -kRepairGapMs; // when the host last sent its state
    std::int64_t disagreedMs = -1;             // since when the joiner waits for it
    std::string notice;                        // a line for the screen, taken by the caller
    std::uint64_t theirToken = 0;              // the joiner's, from the first handshake
    std::int32_t firstFrame = 0;  // the first frame this side ran: not 0 after a rejoin
    std::int32_t theirFrame = -1; // the other side's last chained frame heard of
    std::uint64_t theirHash = 0;  //   and its hash
    std::int32_t peerFrame = -1;  // the senderFrame of the last Inputs received
    // How far each side's frame was ahead of the other's last one it had
    // heard of, as the last kTimingRing packets found it.
    std::int32_t lagMine[kTimingRing] = {};
    std::int32_t lagTheirs[kTimingRing] = {};
    std::int32_t timings = 0;
    double advantage = 0; // frames ahead of the other side
    bool paused = false;  // frames stop before pauseFrame
    std::int32_t pauseFrame = 0;
    std::int32_t corrections[kCorrectionRing] = {};
    std::int32_t passes = 0;
    std::vector<std::uint32_t> depths; // how many corrections of each depth
    std::vector<Outgoing> outbox;
};

// A side that has just connected: it sends its Hello and waits for the
// other's. `mine` holds this side's protocol, version, rules and role.
void StartNetGame(NetGame* game, const Hello& mine, const GameState& start, std::int64_t nowMs);

// A packet from the other side. What does not decode, or does not fit the
// phase or the window, changes nothing.
void ReceivePacket(NetGame* game, const std::uint8_t* data, std::size_t size, std::int64_t nowMs);

// Once a pass, after the packets: corrects the guesses, checks what both
// sides confirmed, and ends a leaving or a silent game.
void UpdateNetGame(NetGame* game, std::int64_t nowMs);

// Once a pass, after the frame: queues every local input the other side
// has not acknowledged, with where this side is and its chained hash; and
// this side's Hello again until the other side's inputs show it arrived.
void QueueInputs(NetGame* game);

// Whether the next frame may run now.
bool NetFrameDue(const NetGame& game, std::int64_t nowMs);

// Runs the next frame with the local player's input bits read now.
FrameEvents RunNetFrame(NetGame* game, std::uint8_t localBits);

// The pause key: pauses before the next frame, or resumes, on both sides.
void TogglePauseOnline(NetGame* game);

// The local player leaves (Escape, the window closed, a demo over): both
// sides end on the same frame.
void LeaveNetGame(NetGame* game, std::int64_t nowMs);

// A host's newcomer's packet: true when it is the Hello of the joiner
// coming back, with the token of the first handshake. The game then takes
// the guesses of the joiner's inputs since his last as what he did, sends
// him its Hello and its state, and plays on with him from the next frame.
bool TakeRejoin(NetGame* game, const std::uint8_t* data, std::size_t size, std::int64_t nowMs);

// The other side's connection is gone.
void LoseNetGame(NetGame* game);

// Whether the pause holds now, with this side stopped at its frame.
bool PausedNow(const NetGame& game);

// The state to show: the present, or while paused the pause's frame.
GameState ShownState(const NetGame& game);

// Whether nothing has come from the other side for kQuietNoticeMs.
bool QuietPeer(const NetGame& game, std::int64_t nowMs);

// Whether this frame should last a little longer, this side being ahead
// of the other by half a frame or more, as far as whole frames can tell.
bool ShouldStretch(const NetGame& game);

// The last frame whose state and inputs are settled on both sides: the
// last confirmed one, or once the game is over the last before its end.
std::int32_t SettledFrame(const NetGame& game);

// The merged input record of a frame run, within the window.
FrameInput SettledInput(const NetGame& game, std::int32_t frame);

// The state the game ended in: the state after the frame before endFrame.
GameState FinalNetState(const NetGame& game);

// Frames run again in the last kCorrectionRing passes.
std::int32_t RecentCorrections(const NetGame& game);

// The hash of everything that decides how the game plays: the rules run
// from the start values on a fixed stream of inputs.
std::uint64_t RulesFingerprint();

// Why two Hellos cannot play together, or "" when they can.
std::string Refusal(const Hello& mine, const Hello& theirs);

// As Refusal, but for the game itself alone: protocol, version and rules.
std::string Mismatch(const Hello& mine, const Hello& theirs);
