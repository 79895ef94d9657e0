// The messages of an online game and what each one does to the side that
// receives it; the pass that corrects, checks and queues what goes out.
#include "net/net_game.h"

#include "net/state_hash.h"
#include "rules/rules.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint64_t kChainPrime = 1099511628211u;
constexpr int kFingerprintFrames = 600;
constexpr int kFirstTimings = 10;
// A joiner who called before the host was there measures more than the
// way: no more than this is believed.
constexpr std::int64_t kLongestRoundTripMs = 500;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

std::int32_t Slot(std::int32_t frame) {
    return frame % kRollbackWindow;
}

bool InPlay(const NetGame& game) {
    return game.phase == NetPhase::kPlaying || game.phase == NetPhase::kLeaving;
}

void Queue(NetGame* game, const Message& message, bool reliable) {
    game->outbox.push_back({message, reliable});
}

void Correct(NetGame* game) {
    const std::int32_t depth = Correct(&game->session);
    if (depth > 0) {
        game->depths.resize(std::max<std::size_t>(game->depths.size(), depth + 1));
        game->depths[depth] += 1;
    }
    game->corrections[game->passes % kCorrectionRing] += depth;
}

// Ends the game before `frame`, which must be settled.
void End(NetGame* game, NetEnd end, std::string why, std::int32_t frame) {
    Correct(game);
    game->phase = NetPhase::kOver;
    game->end = end;
    game->why = std::move(why);
    game->endFrame = std::max(0, frame);
}

void EndAtConfirmed(NetGame* game, NetEnd end, std::string why) {
    Correct(game);
    End(game, end, std::move(why), ConfirmedFrame(game->session) + 1);
}

std::string OutOfSync(std::int32_t frame) {
    return "the two games went out of sync at frame " + std::to_string(frame + 1);
}

// The joiner starts on the host's first inputs, sent now: the host starts
// when they reach him, half the round trip the joiner measured for his
// connection later, so that the two start together.
void ReceiveHello(NetGame* game, const Hello& theirs, std::int64_t nowMs) {
    if (game->phase != NetPhase::kHandshake) {
        return;
    }
    std::string refusal = Refusal(game->mine, theirs);
    if (!refusal.empty()) {
        End(game, NetEnd::kRefused, std::move(refusal), 0);
        return;
    }
    game->phase = NetPhase::kPlaying;
    game->theirToken = theirs.token;
    const std::int64_t halfWay =
        std::min<std::int64_t>(theirs.roundTripMs, kLongestRoundTripMs) / 2;
    game->startAtMs = game->mine.role == 0 ? nowMs + halfWay : kNever;
}

// The frame advantage. Each side measures how far its frame is ahead of
// the last frame it heard of from the other; the least of the last packets
// is the least delayed. The two lags differ by twice the frames this side
// is ahead, the delay on the way cancelling out. A few packets are heard
// before the first measure.
void NoteTiming(NetGame* game, const Inputs& inputs) {
    if (inputs.senderFrame <= game->peerFrame) {
        return;
    }
    game->peerFrame = inputs.senderFrame;
    if (inputs.receivedFrame <= 0) {
        return; // frame 0 is where each side waits to start
    }
    const int slot = game->timings++ % kTimingRing;
    game->lagMine[slot] = game->session.frame - inputs.senderFrame;
    game->lagTheirs[slot] = inputs.senderFrame - inputs.receivedFrame;
    const int count = std::min(game->timings, kTimingRing);
    if (count < kFirstTimings) {
        return;
    }
    const std::int32_t mine = *std::min_element(game->lagMine, game->lagMine + count);
    const std::int32_t theirs = *std::min_element(game->lagTheirs, game->lagTheirs + count);
    game->advantage = (mine - theirs) / 2.0;
}

void ReceiveInputs(NetGame* game, const Inputs& inputs, std::int64_t nowMs) {
    if (!InPlay(*game)) {
        return;
    }
    game->heardInputs = true;
    if (game->startAtMs == kNever) {
        game->startAtMs = nowMs; // the joiner, on the host's first inputs
    }
    NoteAcknowledged(&game->session, inputs.ackFrame);
    for (int i = 0; i < inputs.count; ++i) {
        ReceiveRemote(&game->session, inputs.firstFrame + i, inputs.actions[i]);
    }
    NoteTiming(game, inputs);
    if (inputs.checkedFrame > game->theirFrame) {
        game->theirFrame = inputs.checkedFrame;
        game->theirHash = inputs.checkedHash;
    }
}

// A frame the window still holds and not past the present.
std::int32_t KeptFrame(const NetGame& game, std::int32_t frame) {
    const std::int32_t oldest = std::max(0, game.session.frame - kRollbackWindow + 1);
    return std::max(oldest, std::min(frame, game.session.frame));
}

void ReceivePause(NetGame* game, std::int32_t frame) {
    if (game->phase != NetPhase::kPlaying) {
        return;
    }
    const std::int32_t at = std::max(KeptFrame(*game, frame), frame);
    game->pauseFrame = game->paused ? std::min(game->pauseFrame, at) : at;
    game->paused = true;
}

// The leaving side waited for every input before `frame` to be known on
// both sides; a frame this side cannot settle is brought back to one it can.
void ReceiveBye(NetGame* game, std::int32_t frame) {
    if (game->phase == NetPhase::kHandshake) {
        End(game, NetEnd::kPeerLeft, "the other player left", 0);
        return;
    }
    RollbackSession& session = game->session;
    const std::int32_t last = std::min(session.remoteKnown + 1, session.frame + session.inputDelay);
    const std::int32_t end = std::max(KeptFrame(*game, frame), std::min(frame, last));
    while (session.frame < end) {
        AdvanceFrame(&session, 0); // acts after the end
    }
    End(game, NetEnd::kPeerLeft, "the other player left", end);
}

std::string Resynchronised(std::int32_t frame) {
    return "resynchronised at frame " + std::to_string(frame + 1);
}

// The two sides' states differ after `frame`. The host's state stands: it
// sends it, at most once in kRepairGapMs. The joiner waits for it, and
// only when none comes in kRepairWaitMs do both stop.
void Disagree(NetGame* game, std::int32_t frame, std::int64_t nowMs) {
    if (game->mine.role == 0 && nowMs - game->repairSentMs >= kRepairGapMs) {
        Message message{MessageType::kState};
        message.snapshot.frame = frame;
        message.snapshot.chain = game->chain[Slot(frame)];
        StateToWords(StateAfter(game->session, frame), message.snapshot.words);
        Queue(game, message, true);
        game->repairSentMs = nowMs;
        game->notice = Resynchronised(frame);
    }
    if (game->mine.role == 0) {
        return;
    }
    game->disagreedMs = game->disagreedMs < 0 ? nowMs : game->disagreedMs;
    if (nowMs - game->disagreedMs >= kRepairWaitMs) {
        Queue(game, {MessageType::kDesync, {}, {}, frame}, true);
        End(game, NetEnd::kDesync, OutOfSync(frame), game->chained + 1);
    }
}

// A joiner coming back, before his first frame, starts from the host's
// state and chain.
void StartFromSnapshot(NetGame* game, const Snapshot& snapshot) {
    GameState state;
    StateFromWords(snapshot.words, &state);
    const std::int32_t first = snapshot.frame + 1;
    StartRollbackAt(&game->session, 1, game->mine.inputDelay, state, first);
    game->firstFrame = first;
    game->chain[Slot(snapshot.frame)] = snapshot.chain;
    game->chained = snapshot.frame;
    game->checked = snapshot.frame;
    game->repaired = snapshot.frame;
}

// The joiner takes the host's state after a frame it has run, runs the
// frames after it again, and takes up the host's chain there.
void ReceiveSnapshot(NetGame* game, const Snapshot& snapshot) {
    RollbackSession& session = game->session;
    const std::int32_t after = snapshot.frame + 1;
    if (game->mine.role == 1 && InPlay(*game) && session.frame == 0 && game->chained < 0) {
        StartFromSnapshot(game, snapshot);
        return;
    }
    if (game->mine.role != 1 || !InPlay(*game) || snapshot.frame <= game->repaired ||
        after >= session.frame || after <= session.frame - kRollbackWindow) {
        return;
    }
    StateFromWords(snapshot.words, &session.starts[Slot(after)]);
    session.firstWrong = session.firstWrong < 0 ? after : std::min(session.firstWrong, after);
    Correct(game);
    game->chain[Slot(snapshot.frame)] = snapshot.chain;
    game->chained = snapshot.frame;
    game->checked = snapshot.frame;
    game->repaired = snapshot.frame;
    game->disagreedMs = -1;
    game->notice = Resynchronised(snapshot.frame);
}

void Receive(NetGame* game, const Message& message, std::int64_t nowMs) {
    switch (message.type) {
    case MessageType::kHello:
        ReceiveHello(game, message.hello, nowMs);
        return;
    case MessageType::kInputs:
        ReceiveInputs(game, message.inputs, nowMs);
        return;
    case MessageType::kPause:
        ReceivePause(game, message.frame);
        return;
    case MessageType::kResume:
        game->paused = false;
        return;
    case MessageType::kBye:
        ReceiveBye(game, message.frame);
        return;
    case MessageType::kDesync:
        EndAtConfirmed(game, NetEnd::kDesync, OutOfSync(message.frame));
        return;
    case MessageType::kState:
        ReceiveSnapshot(game, message.snapshot);
        return;
    case MessageType::kConfirmed:
        return; // for those who watch
    }
}

// Extends the chain over the newly confirmed frames, then compares it
// with the other side's at the last frame it chained.
void Check(NetGame* game, std::int64_t nowMs) {
    const std::int32_t confirmed = ConfirmedFrame(game->session);
    for (std::int32_t f = game->chained + 1; f <= confirmed; ++f) {
        const std::uint64_t before = f == 0 ? 0 : game->chain[Slot(f - 1)];
        game->chain[Slot(f)] = before * kChainPrime ^ HashState(StateAfter(game->session, f));
        game->chained = f;
    }
    const std::int32_t theirs = game->theirFrame;
    if (theirs <= game->checked || theirs > game->chained ||
        theirs <= game->chained - kRollbackWindow) {
        return;
    }
    if (game->chain[Slot(theirs)] == game->theirHash) {
        game->checked = theirs;
        return;
    }
    Disagree(game, theirs, nowMs);
}

void FinishLeaving(NetGame* game, std::int64_t nowMs) {
    const RollbackSession& session = game->session;
    const std::int32_t known = std::min(session.remoteKnown, session.peerKnows);
    if (known < game->endFrame - 1 && nowMs - game->leaveStartedMs < kLeaveWaitMs) {
        return;
    }
    const std::int32_t end = std::min(game->endFrame, known + 1);
    Queue(game, {MessageType::kBye, {}, {}, std::max(0, end)}, true);
    End(game, NetEnd::kLeft, "", end);
}

std::uint32_t NextRandom(std::uint32_t* seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return *seed >> 16;
}

std::uint64_t ComputeFingerprint() {
    GameState state;
    SetStartValues(state);
    std::uint64_t hash = HashState(state);
    std::uint32_t seed = 1;
    for (int f = 0; f < kFingerprintFrames; ++f) {
        const std::uint32_t keys = NextRandom(&seed);
        RunRules(state, MergeInputs(0, keys & 63, keys >> 6 & 63));
        hash = hash * kChainPrime ^ HashState(state);
    }
    return hash;
}

} // namespace

void StartNetGame(NetGame* game, const Hello& mine, const GameState& start, std::int64_t nowMs) {
    *game = NetGame{};
    game->mine = mine;
    game->lastHeardMs = nowMs;
    StartRollback(&game->session, mine.role, mine.inputDelay, start);
    Queue(game, {MessageType::kHello, mine}, true);
}

void ReceivePacket(NetGame* game, const std::uint8_t* data, std::size_t size, std::int64_t nowMs) {
    Message message;
    if (game->phase == NetPhase::kOver || !DecodeMessage(data, size, &message)) {
        return;
    }
    game->lastHeardMs = nowMs;
    Receive(game, message, nowMs);
}

void UpdateNetGame(NetGame* game, std::int64_t nowMs) {
    if (game->phase == NetPhase::kOver) {
        return;
    }
    game->passes += 1;
    game->corrections[game->passes % kCorrectionRing] = 0;
    if (nowMs - game->lastHeardMs >= kGiveUpMs) {
        EndAtConfirmed(game, NetEnd::kSilent, "no word from the other player for 30 seconds");
        return;
    }
    if (!InPlay(*game)) {
        return;
    }
    Correct(game);
    Check(game, nowMs);
    if (game->phase == NetPhase::kLeaving) {
        FinishLeaving(game, nowMs);
    }
}

void QueueInputs(NetGame* game) {
    if (game->phase != NetPhase::kOver && !game->heardInputs) {
        Queue(game, {MessageType::kHello, game->mine}, false); // a lost one costs a frame
    }
    if (!InPlay(*game)) {
        return;
    }
    const RollbackSession& session = game->session;
    Message message{MessageType::kInputs};
    Inputs& inputs = message.inputs;
    inputs.ackFrame = session.remoteKnown;
    inputs.firstFrame = session.peerKnows + 1;
    inputs.senderFrame = session.frame;
    inputs.receivedFrame = game->peerFrame;
    inputs.checkedFrame = game->chained;
    inputs.checkedHash = game->chained < 0 ? 0 : game->chain[Slot(game->chained)];
    const std::int32_t waiting = LastLocalFrame(session) - inputs.firstFrame + 1;
    inputs.count = static_cast<std::uint8_t>(std::clamp(waiting, 0, kMaxInputsPerPacket));
    for (int i = 0; i < inputs.count; ++i) {
        inputs.actions[i] = LocalInput(session, inputs.firstFrame + i);
    }
    Queue(game, message, false);
}

bool NetFrameDue(const NetGame& game, std::int64_t nowMs) {
    return game.phase == NetPhase::kPlaying && nowMs >= game.startAtMs && !PausedNow(game) &&
           CanAdvance(game.session);
}

FrameEvents RunNetFrame(NetGame* game, std::uint8_t localBits) {
    return AdvanceFrame(&game->session, localBits);
}

void TogglePauseOnline(NetGame* game) {
    if (game->phase != NetPhase::kPlaying) {
        return;
    }
    if (game->paused) {
        game->paused = false;
        Queue(game, {MessageType::kResume}, true);
        return;
    }
    game->paused = true;
    game->pauseFrame = game->session.frame;
    Queue(game, {MessageType::kPause, {}, {}, game->pauseFrame}, true);
}

void LeaveNetGame(NetGame* game, std::int64_t nowMs) {
    if (game->phase == NetPhase::kHandshake) {
        Queue(game, {MessageType::kBye, {}, {}, 0}, true);
        End(game, NetEnd::kLeft, "", 0);
        return;
    }
    if (game->phase == NetPhase::kPlaying) {
        game->phase = NetPhase::kLeaving;
        game->endFrame = game->session.frame;
        game->leaveStartedMs = nowMs;
    }
}

bool TakeRejoin(NetGame* game, const std::uint8_t* data, std::size_t size, std::int64_t nowMs) {
    Message message;
    const bool hello = DecodeMessage(data, size, &message) && message.type == MessageType::kHello;
    const bool back = hello && message.hello.role == 1 && message.hello.token == game->theirToken &&
                      Refusal(game->mine, message.hello).empty();
    if (!back || game->mine.role != 0 || game->phase != NetPhase::kPlaying) {
        return false;
    }
    RollbackSession& session = game->session;
    for (std::int32_t f = session.remoteKnown + 1; f < session.frame; ++f) {
        ReceiveRemote(&session, f, RemoteInput(session, f)); // the guesses stand
    }
    Correct(game);
    game->theirFrame = -1;
    Check(game, nowMs);
    const std::int32_t last = session.frame - 1;
    session.peerKnows = last;
    game->heardInputs = false;
    game->lastHeardMs = nowMs;
    game->peerFrame = -1;
    game->timings = 0;
    game->paused = false;
    Queue(game, {MessageType::kHello, game->mine}, true);
    Message state{MessageType::kState};
    state.snapshot.frame = last;
    state.snapshot.chain = last < 0 ? 0 : game->chain[Slot(last)];
    StateToWords(StateAfter(session, last), state.snapshot.words);
    Queue(game, state, true);
    game->notice = "the other player is back";
    return true;
}

void LoseNetGame(NetGame* game) {
    if (game->phase != NetPhase::kOver) {
        EndAtConfirmed(game, NetEnd::kLost, "the connection to the other player was lost");
    }
}

bool PausedNow(const NetGame& game) {
    return game.paused && game.session.frame >= game.pauseFrame;
}

GameState ShownState(const NetGame& game) {
    if (PausedNow(game) && game.pauseFrame < game.session.frame) {
        return game.session.starts[Slot(game.pauseFrame)];
    }
    return game.session.state;
}

bool QuietPeer(const NetGame& game, std::int64_t nowMs) {
    return nowMs - game.lastHeardMs >= kQuietNoticeMs;
}

bool ShouldStretch(const NetGame& game) {
    return game.advantage >= 0.5;
}

std::int32_t SettledFrame(const NetGame& game) {
    if (game.phase == NetPhase::kOver) {
        return game.endFrame - 1;
    }
    return ConfirmedFrame(game.session);
}

FrameInput SettledInput(const NetGame& game, std::int32_t frame) {
    return MergeInputs(game.session.localPlayer, LocalInput(game.session, frame),
                       RemoteInput(game.session, frame));
}

GameState FinalNetState(const NetGame& game) {
    return StateAfter(game.session, game.endFrame - 1);
}

std::int32_t RecentCorrections(const NetGame& game) {
    std::int32_t sum = 0;
    for (std::int32_t depth : game.corrections) {
        sum += depth;
    }
    return sum;
}

std::uint64_t RulesFingerprint() {
    static const std::uint64_t fingerprint = ComputeFingerprint();
    return fingerprint;
}

std::string Mismatch(const Hello& mine, const Hello& theirs) {
    const std::string version = mine.gameVersion;
    if (theirs.protocol != mine.protocol) {
        return "the other player's flagrun speaks online protocol " +
               std::to_string(theirs.protocol) + "; this one speaks " +
               std::to_string(mine.protocol);
    }
    if (version != theirs.gameVersion) {
        return "the other player runs flagrun " + std::string(theirs.gameVersion) + "; this is " +
               version;
    }
    if (theirs.rulesHash != mine.rulesHash) {
        return "the other player's flagrun " + version + " plays by other rules than this one";
    }
    return "";
}

// A host plays with a joiner; a joiner and a watcher with a host.
std::string Refusal(const Hello& mine, const Hello& theirs) {
    const std::string mismatch = Mismatch(mine, theirs);
    const int wanted = mine.role == 0 ? 1 : 0;
    if (!mismatch.empty() || theirs.role == wanted) {
        return mismatch;
    }
    if (theirs.role == mine.role) {
        return mine.role == 0 ? "the other side hosts too" : "the other side joins too";
    }
    return theirs.role == 2 ? "the other side only watches" : "the other side is no host";
}
