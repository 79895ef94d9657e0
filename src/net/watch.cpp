// The feed a host sends each watcher, and the watcher's own game: a state,
// then settled inputs in order on the reliable channel, run behind.
#include "net/watch.h"

#include "rules/rules.h"

#include <algorithm>

namespace {

constexpr std::int64_t kFreshStateGapMs = 1000;

// The last settled frame the host can send: in the records, and in the
// window, where its state is kept.
std::int32_t LastSettled(const NetGame& game, const std::vector<std::uint16_t>& records) {
    const auto recorded = static_cast<std::int32_t>(records.size()) - 1;
    if (game.phase == NetPhase::kOver) {
        return std::min(recorded, game.endFrame - 1);
    }
    return std::min(recorded, ConfirmedFrame(game.session));
}

void SendState(WatchFeed* feed, const NetGame& game, std::int32_t frame, std::int64_t nowMs,
               std::vector<Message>* out) {
    Message message{MessageType::kState};
    message.snapshot.frame = frame;
    StateToWords(StateAfter(game.session, frame), message.snapshot.words);
    out->push_back(message);
    feed->next = frame + 1;
    feed->acked = frame;
    feed->stateSentMs = nowMs;
}

void SendRecords(WatchFeed* feed, const std::vector<std::uint16_t>& records, std::int32_t last,
                 std::vector<Message>* out) {
    const std::int32_t until = std::min(last, feed->next + kWatchBurst - 1);
    while (feed->next <= until) {
        Message message{MessageType::kConfirmed};
        message.confirmed.firstFrame = feed->next;
        const std::int32_t count = std::min(until - feed->next + 1, kMaxInputsPerPacket);
        message.confirmed.count = static_cast<std::uint8_t>(count);
        std::copy_n(records.begin() + feed->next, count, message.confirmed.records);
        out->push_back(message);
        feed->next += count;
    }
}

} // namespace

void FeedWatcher(WatchFeed* feed, const NetGame& game, const std::vector<std::uint16_t>& records,
                 std::int64_t nowMs, std::vector<Message>* out) {
    if (feed->asked && !feed->answered) {
        out->push_back({MessageType::kHello, game.mine}); // he refuses a mismatch himself
        feed->answered = true;
    }
    if (!feed->greeted || feed->ended || game.phase == NetPhase::kHandshake) {
        return;
    }
    const std::int32_t last = LastSettled(game, records);
    if (last < 0) {
        return; // no state to send yet
    }
    const bool lagging = feed->next - 1 - feed->acked > kWatchLagLimit &&
                         nowMs - feed->stateSentMs >= kFreshStateGapMs;
    if (!feed->stateSent || lagging) {
        SendState(feed, game, last, nowMs, out);
        feed->stateSent = true;
    }
    SendRecords(feed, records, last, out);
    if (game.phase == NetPhase::kOver && feed->next >= game.endFrame) {
        out->push_back({MessageType::kBye, {}, {}, game.endFrame});
        feed->ended = true;
    }
}

bool ReceiveFromWatcher(WatchFeed* feed, const Hello& host, const std::uint8_t* data,
                        std::size_t size) {
    Message message;
    if (!DecodeMessage(data, size, &message)) {
        return true;
    }
    if (message.type == MessageType::kHello) {
        feed->asked = message.hello.role == 2;
        feed->greeted = feed->asked && Mismatch(host, message.hello).empty();
        return message.hello.role == 2;
    }
    if (message.type == MessageType::kInputs) {
        feed->acked = std::clamp(message.inputs.ackFrame, feed->acked, feed->next - 1);
    }
    return true;
}

void StartWatching(Watching* watching, const Hello& mine, std::int64_t nowMs) {
    *watching = Watching{};
    watching->mine = mine;
    watching->lastHeardMs = nowMs;
    SetStartValues(watching->state);
    watching->outbox.push_back({{MessageType::kHello, mine}, true});
}

namespace {

void TakeState(Watching* watching, const Snapshot& snapshot) {
    StateFromWords(snapshot.words, &watching->state);
    watching->shown = snapshot.frame + 1;
    watching->first = watching->shown;
    watching->records.clear();
    watching->phase = WatchPhase::kWatching;
}

// Records in order only: the reliable channel brings them so.
void TakeRecords(Watching* watching, const Confirmed& confirmed) {
    const auto next = watching->first + static_cast<std::int32_t>(watching->records.size());
    if (watching->phase != WatchPhase::kWatching || confirmed.firstFrame != next) {
        return;
    }
    watching->records.insert(watching->records.end(), confirmed.records,
                             confirmed.records + confirmed.count);
}

} // namespace

void ReceiveWatched(Watching* watching, const std::uint8_t* data, std::size_t size,
                    std::int64_t nowMs) {
    Message message;
    if (watching->phase == WatchPhase::kOver || !DecodeMessage(data, size, &message)) {
        return;
    }
    watching->lastHeardMs = nowMs;
    if (message.type == MessageType::kHello && message.hello.role == 0) {
        watching->why = Refusal(watching->mine, message.hello);
        watching->phase = watching->why.empty() ? watching->phase : WatchPhase::kOver;
    } else if (message.type == MessageType::kState) {
        TakeState(watching, message.snapshot);
    } else if (message.type == MessageType::kConfirmed) {
        TakeRecords(watching, message.confirmed);
    } else if (message.type == MessageType::kBye) {
        watching->endFrame = message.frame;
    }
}

std::int32_t WatchFramesDue(const Watching& watching) {
    if (watching.phase != WatchPhase::kWatching) {
        return 0;
    }
    const std::int32_t newest = watching.first + static_cast<std::int32_t>(watching.records.size());
    const std::int32_t ready = newest - watching.shown;
    if (watching.endFrame >= 0) {
        return std::clamp(std::min(ready, watching.endFrame - watching.shown), 0, kWatchBurst);
    }
    return ready > 2 * kWatchDelay ? 2 : ready > kWatchDelay ? 1 : 0;
}

FrameEvents RunWatchedFrame(Watching* watching) {
    const std::uint16_t record = watching->records[watching->shown - watching->first];
    watching->shown += 1;
    return RunRules(watching->state, InputOfRecord(record));
}

void UpdateWatching(Watching* watching, std::int64_t nowMs) {
    if (watching->phase == WatchPhase::kOver) {
        return;
    }
    if (watching->endFrame >= 0 && watching->shown >= watching->endFrame) {
        watching->phase = WatchPhase::kOver;
        return;
    }
    if (nowMs - watching->lastHeardMs >= kGiveUpMs) {
        watching->phase = WatchPhase::kOver;
        watching->why = "no word from the host for 30 seconds";
        return;
    }
    Message ack{MessageType::kInputs};
    ack.inputs.ackFrame = watching->first + static_cast<std::int32_t>(watching->records.size()) - 1;
    ack.inputs.senderFrame = watching->shown;
    watching->outbox.push_back({ack, false});
}
