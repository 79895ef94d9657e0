// The session's rings, the guess and the correction.
#include "net/rollback.h"

#include "net/protocol.h"
#include "rules/rules.h"

#include <algorithm>
#include <iterator>

namespace {

std::int32_t Slot(std::int32_t frame) {
    return frame % kRollbackWindow;
}

// The other side's input of a frame: the real one if known, else the last
// one known in order (nothing before any).
std::uint8_t RemoteOrGuess(const RollbackSession& s, std::int32_t frame) {
    if (s.remoteFor[Slot(frame)] == frame) {
        return s.remote[Slot(frame)];
    }
    return s.remoteKnown >= 0 ? s.remote[Slot(s.remoteKnown)] : 0;
}

FrameEvents RunOne(RollbackSession* s, std::int32_t frame) {
    const std::uint8_t remote = RemoteOrGuess(*s, frame);
    s->used[Slot(frame)] = remote;
    s->starts[Slot(frame)] = s->state;
    return RunRules(s->state, MergeInputs(s->localPlayer, LocalInput(*s, frame), remote));
}

} // namespace

FrameInput MergeInputs(int localPlayer, std::uint8_t localBits, std::uint8_t remoteBits) {
    FrameInput input;
    input.player1 = PlayerInputFromBits(localPlayer == 0 ? localBits : remoteBits);
    input.player2 = PlayerInputFromBits(localPlayer == 0 ? remoteBits : localBits);
    return input;
}

void StartRollback(RollbackSession* session, int localPlayer, std::int32_t inputDelay,
                   const GameState& start) {
    *session = RollbackSession{};
    session->localPlayer = localPlayer;
    session->inputDelay = std::clamp(inputDelay, 0, kMaxInputDelay);
    session->state = start;
    std::fill(std::begin(session->localFor), std::end(session->localFor), -1);
    std::fill(std::begin(session->remoteFor), std::end(session->remoteFor), -1);
}

void StartRollbackAt(RollbackSession* session, int localPlayer, std::int32_t inputDelay,
                     const GameState& state, std::int32_t first) {
    StartRollback(session, localPlayer, inputDelay, state);
    session->frame = first;
    session->remoteKnown = first - 1;
    session->peerKnows = first - 1;
}

bool CanAdvance(const RollbackSession& session) {
    const std::int32_t oldestNeeded = std::min(session.remoteKnown, session.peerKnows);
    return session.frame + session.inputDelay < oldestNeeded + kRollbackWindow;
}

void NoteAcknowledged(RollbackSession* session, std::int32_t frame) {
    session->peerKnows = std::max(session->peerKnows, std::min(frame, LastLocalFrame(*session)));
}

FrameEvents AdvanceFrame(RollbackSession* session, std::uint8_t localBits) {
    const std::int32_t actsIn = session->frame + session->inputDelay;
    session->local[Slot(actsIn)] = localBits;
    session->localFor[Slot(actsIn)] = actsIn;
    const FrameEvents events = RunOne(session, session->frame);
    session->frame += 1;
    return events;
}

bool ReceiveRemote(RollbackSession* session, std::int32_t frame, std::uint8_t bits) {
    if (frame <= session->remoteKnown || frame > session->remoteKnown + kRollbackWindow) {
        return false;
    }
    const std::int32_t slot = Slot(frame);
    if (session->remoteFor[slot] == frame) {
        return true;
    }
    session->remote[slot] = bits;
    session->remoteFor[slot] = frame;
    if (frame < session->frame && session->used[slot] != bits) {
        const bool none = session->firstWrong < 0;
        session->firstWrong = none ? frame : std::min(session->firstWrong, frame);
    }
    while (session->remoteFor[Slot(session->remoteKnown + 1)] == session->remoteKnown + 1) {
        session->remoteKnown += 1;
    }
    return true;
}

// A guess made before a later input became known may have changed with it:
// every unknown frame after the first wrong one is guessed again.
std::int32_t Correct(RollbackSession* session) {
    session->lastCorrection = 0;
    if (session->firstWrong < 0) {
        return 0;
    }
    const std::int32_t from = session->firstWrong;
    session->firstWrong = -1;
    session->state = session->starts[Slot(from)];
    for (std::int32_t f = from; f < session->frame; ++f) {
        RunOne(session, f);
    }
    session->lastCorrection = session->frame - from;
    return session->lastCorrection;
}

std::uint8_t LocalInput(const RollbackSession& session, std::int32_t frame) {
    return session.localFor[Slot(frame)] == frame ? session.local[Slot(frame)] : 0;
}

std::uint8_t RemoteInput(const RollbackSession& session, std::int32_t frame) {
    return RemoteOrGuess(session, frame);
}

std::int32_t LastLocalFrame(const RollbackSession& session) {
    return session.frame - 1 + session.inputDelay;
}

std::int32_t ConfirmedFrame(const RollbackSession& session) {
    if (session.firstWrong >= 0) {
        return std::min(session.remoteKnown, session.firstWrong - 1);
    }
    return std::min(session.remoteKnown, session.frame - 1);
}

GameState StateAfter(const RollbackSession& session, std::int32_t frame) {
    return frame + 1 == session.frame ? session.state : session.starts[Slot(frame + 1)];
}
