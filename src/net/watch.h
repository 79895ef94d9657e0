// Watching a game: the host feeds each watcher a state and then the
// settled inputs after it; the watcher runs them a fixed number of frames
// behind the newest it has. Nothing a watcher does reaches the players'
// game: the feed only reads what the host has settled.
#pragma once

#include "net/net_game.h"
#include "net/protocol.h"

#include <cstdint>
#include <string>
#include <vector>

// How far behind the newest settled frame it has a watcher shows.
inline constexpr std::int32_t kWatchDelay = 30;
// A watcher who has acknowledged nothing for this many frames behind what
// was sent gets a fresh state instead of the frames he missed.
inline constexpr std::int32_t kWatchLagLimit = 300;
// Settled frames sent to one watcher in one pass at most.
inline constexpr std::int32_t kWatchBurst = 4 * kMaxInputsPerPacket;

// The host's side of one watcher.
struct WatchFeed {
    bool asked = false;    // his Hello came
    bool answered = false; // the host's went
    bool greeted = false;  // his matched the host's
    bool stateSent = false;
    bool ended = false;    // the end of the game was sent
    std::int32_t next = 0; // the first settled frame not yet sent
    std::int32_t acked = -1;
    std::int64_t stateSentMs = 0;
};

// The host's messages for a watcher this pass: after his Hello, the
// host's Hello and a state; then the frames settled since, or a fresh
// state when he has fallen too far behind. `records` holds the record of
// every settled frame from 0, `game` the host's game.
void FeedWatcher(WatchFeed* feed, const NetGame& game, const std::vector<std::uint16_t>& records,
                 std::int64_t nowMs, std::vector<Message>* out);

// What the host makes of a watcher's packet: his Hello (refused like a
// player's) or his acknowledgements. False when he must be dropped.
bool ReceiveFromWatcher(WatchFeed* feed, const Hello& host, const std::uint8_t* data,
                        std::size_t size);

enum class WatchPhase { kHello, kWatching, kOver };

// The watcher's side.
struct Watching {
    Hello mine;
    WatchPhase phase = WatchPhase::kHello;
    std::string why;        // the end, in a line
    GameState state;        // after frame shown - 1
    std::int32_t shown = 0; // the next frame to run
    std::int32_t first = 0; // the first frame of `records`
    std::vector<std::uint16_t> records;
    std::int32_t endFrame = -1; // the game ended before this frame
    std::int64_t lastHeardMs = 0;
    std::vector<Outgoing> outbox;
};

void StartWatching(Watching* watching, const Hello& mine, std::int64_t nowMs);
void ReceiveWatched(Watching* watching, const std::uint8_t* data, std::size_t size,
                    std::int64_t nowMs);

// How many frames to run this pass: one while the newest frame is more
// than kWatchDelay ahead, two when he falls further behind, all that are
// left once the game has ended; 0 to wait.
std::int32_t WatchFramesDue(const Watching& watching);

// Runs the next frame; what happened, for the sound.
FrameEvents RunWatchedFrame(Watching* watching);

// Once a pass: the acknowledgement of what came, and the end of silence.
void UpdateWatching(Watching* watching, std::int64_t nowMs);
