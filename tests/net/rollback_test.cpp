// Two online games in one process over a simulated network on a virtual
// clock: seeded delay, jitter (so reordering), loss, duplication and
// outages for the unsequenced inputs; reliable messages late but in order.
// Every game ends with both sides on the same frame and state, which an
// offline run of the settled inputs reaches too.
#include "net/net_game.h"
#include "net/state_hash.h"
#include "net/watch.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace {

struct Link {
    double delayMs; // one way
    double jitterMs;
    double loss;
    double duplication;
    double outageMs; // one outage of this length, a second into the game
};

constexpr double kFrameMs = 1000.0 / 60;
constexpr int kWatchers = 8;

// One side: its game, its player's held keys, its inbox.
struct Side {
    NetGame net;
    std::mt19937 keys;
    bool idle = false; // holds no key, ever
    std::uint8_t held = 0;
    int holdFor = 0;
    double nextTick = 0;
    double lastReliable = 0;
    std::multimap<double, std::vector<std::uint8_t>> inbox;
    std::vector<FrameInput> settled; // each frame's inputs, once settled
    int stalls = 0;
    double mostAhead = 0;      // the largest frame advantage it measured, from steadyFrom
    std::int64_t quietAt = -1; // when the other side first seemed quiet
    std::int64_t endedAt = -1;
    std::vector<double> ranAt;    // when it ran each frame
    std::int64_t repairedAt = -1; // when it took the other side's state
    std::int64_t frozenAt = -1;
    std::int64_t restartedAt = -1;
    int presentWrong = 0; // frames whose present differed from the offline run's
};

// A watcher, on a link of his own: the host's messages come reliable and
// in order after delayMs, his acknowledgements the same way back.
struct Watcher {
    double joinAt;
    double leaveAt;
    double delayMs;
    Watching watching = {};
    WatchFeed feed = {};
    std::multimap<double, std::vector<std::uint8_t>> inbox = {};
    std::multimap<double, std::vector<std::uint8_t>> hostInbox = {}; // his to the host
};

struct Game {
    std::vector<Watcher> watchers;
    Link link;
    std::mt19937 net;
    Side sides[2];
    std::int32_t leaveAt = 600;       // the host leaves at this frame
    std::int32_t steadyFrom = 600;    // from here the two sides keep within a frame
    std::int32_t flipAt = -1;         // the joiner's state has a bit flipped here
    std::int32_t pauseAt = -1;        // the host pauses here, for 60 passes
    std::int32_t freezeAt = -1;       // the joiner stops here, as if killed
    std::int64_t restartAfterMs = -1; // and starts again this long after
    bool newcomer = false;            // the host has yet to take him back
    std::int64_t hostLateMs = 0;      // the host starts this much later than it means to
    std::vector<GameState> offline;   // the offline run's state after each frame
    int pausedPasses = 0;
    std::vector<std::uint64_t> pausedShown; // each side's shown state while both paused
};

std::uint8_t NextKeys(Side* side) {
    if (side->idle) {
        return 0;
    }
    if (side->holdFor-- <= 0) {
        side->held = static_cast<std::uint8_t>(side->keys() & 63);
        side->holdFor = static_cast<int>(5 + side->keys() % 56);
    }
    return side->held;
}

void Send(Game* g, Side* from, Side* to, double now) {
    std::uniform_real_distribution<double> chance(0, 1);
    const double outageEnd = 1000 + g->link.outageMs;
    const bool out = now > 1000 && now < outageEnd;
    for (const Outgoing& o : from->net.outbox) {
        std::vector<std::uint8_t> bytes(kMaxMessageBytes);
        bytes.resize(EncodeMessage(o.message, bytes.data(), bytes.size()));
        if (o.reliable) {
            const double at = std::max(out ? outageEnd : now, now) + g->link.delayMs;
            from->lastReliable = std::max(at, from->lastReliable + 0.001);
            to->inbox.emplace(from->lastReliable, bytes);
            continue;
        }
        for (int copy = 0; copy < (chance(g->net) < g->link.duplication ? 2 : 1); ++copy) {
            if (!out && chance(g->net) >= g->link.loss) {
                const double jitter = (chance(g->net) * 2 - 1) * g->link.jitterMs;
                to->inbox.emplace(now + std::max(0.0, g->link.delayMs + jitter), bytes);
            }
        }
    }
    from->net.outbox.clear();
}

// The host pauses at pauseAt; once both sides show the pause, what each
// shows is kept, and 60 passes later the host resumes.
void Pause(Game* g, Side* side, bool host) {
    const NetGame& other = g->sides[host ? 1 : 0].net;
    if (host && side->net.session.frame == g->pauseAt && !side->net.paused &&
        g->pausedPasses == 0) {
        TogglePauseOnline(&side->net);
    }
    if (!PausedNow(side->net) || !PausedNow(other)) {
        return;
    }
    g->pausedPasses += 1;
    if (g->pausedShown.size() < 2) {
        g->pausedShown.push_back(HashState(ShownState(side->net)));
    }
    if (host && g->pausedPasses >= 60) {
        TogglePauseOnline(&side->net);
    }
}

Hello HelloOf(int role) {
    return {kProtocolVersion, "1.0.0", RulesFingerprint(), 7u + role, std::uint8_t(role), 0, 0};
}

// The joiner, killed, starts again with the token of his first handshake.
void Restart(Game* g, Side* side, std::int64_t ms) {
    GameState start;
    SetStartValues(start);
    StartNetGame(&side->net, HelloOf(1), start, ms);
    side->ranAt.clear();
    side->restartedAt = ms;
    g->freezeAt = -1;
    g->newcomer = true;
}

void Post(std::multimap<double, std::vector<std::uint8_t>>* inbox, const Message& message,
          double at) {
    std::vector<std::uint8_t> bytes(kMaxMessageBytes);
    bytes.resize(EncodeMessage(message, bytes.data(), bytes.size()));
    inbox->emplace(at, bytes);
}

// A pass of the host's feed to a watcher and of the watcher himself.
void Watch(Watcher* w, const NetGame& host, const std::vector<FrameInput>& settled, double now) {
    const auto ms = static_cast<std::int64_t>(now);
    if (now < w->joinAt || now >= w->leaveAt) {
        return;
    }
    if (w->watching.mine.protocol == 0) {
        StartWatching(&w->watching, HelloOf(2), ms);
    }
    for (; !w->hostInbox.empty() && w->hostInbox.begin()->first <= now;
         w->hostInbox.erase(w->hostInbox.begin())) {
        const auto& bytes = w->hostInbox.begin()->second;
        ReceiveFromWatcher(&w->feed, host.mine, bytes.data(), bytes.size());
    }
    std::vector<std::uint16_t> records;
    for (const FrameInput& input : settled) {
        records.push_back(RecordOf(input));
    }
    std::vector<Message> out;
    FeedWatcher(&w->feed, host, records, ms, &out);
    for (std::size_t i = 0; i < out.size(); ++i) {
        Post(&w->inbox, out[i], now + w->delayMs + i * 0.001);
    }
    for (; !w->inbox.empty() && w->inbox.begin()->first <= now; w->inbox.erase(w->inbox.begin())) {
        const auto& bytes = w->inbox.begin()->second;
        ReceiveWatched(&w->watching, bytes.data(), bytes.size(), ms);
    }
    UpdateWatching(&w->watching, ms);
    for (std::int32_t n = WatchFramesDue(w->watching); n > 0; --n) {
        RunWatchedFrame(&w->watching);
    }
    for (const Outgoing& o : w->watching.outbox) {
        Post(&w->hostInbox, o.message, now + w->delayMs);
    }
    w->watching.outbox.clear();
}

// One pass of one side, as the game makes it: what came in, the frame if
// due, what goes out.
void Tick(Game* g, Side* side, Side* other) {
    const double now = side->nextTick;
    const auto ms = static_cast<std::int64_t>(std::llround(now));
    NetGame& net = side->net;
    const bool host = side == &g->sides[0];
    while (!side->inbox.empty() && side->inbox.begin()->first <= now) {
        const std::vector<std::uint8_t>& bytes = side->inbox.begin()->second;
        if (host && g->newcomer) { // until the host takes him back
            g->newcomer = !TakeRejoin(&net, bytes.data(), bytes.size(), ms);
        } else {
            ReceivePacket(&net, bytes.data(), bytes.size(), ms);
        }
        side->inbox.erase(side->inbox.begin());
    }
    if (!host && net.session.frame >= g->freezeAt && g->freezeAt >= 0) {
        side->inbox.clear();
        side->frozenAt = side->frozenAt < 0 ? ms : side->frozenAt;
        side->nextTick += kFrameMs;
        if (g->restartAfterMs >= 0 && ms >= side->frozenAt + g->restartAfterMs) {
            Restart(g, side, ms);
        }
        return;
    }
    UpdateNetGame(&net, ms);
    if (host && net.phase == NetPhase::kPlaying && net.session.frame == 0 && ms < net.startAtMs) {
        net.startAtMs += std::exchange(g->hostLateMs, 0);
    }
    const std::int32_t frame = net.session.frame;
    if (!host && frame == g->flipAt && net.session.state.player2.exp == 0) {
        net.session.state.player2.exp ^= 1;
    }
    Pause(g, side, host);
    if (host && frame == g->leaveAt) {
        LeaveNetGame(&net, ms);
    } else if (NetFrameDue(net, ms)) {
        side->ranAt.push_back(now);
        RunNetFrame(&net, NextKeys(side));
        const bool counted = frame < static_cast<std::int32_t>(g->offline.size());
        side->presentWrong +=
            counted && HashState(net.session.state) != HashState(g->offline[frame]);
    } else if (net.phase == NetPhase::kPlaying && ms >= net.startAtMs && !PausedNow(net)) {
        side->stalls += 1;
    }
    QueueInputs(&net);
    Send(g, side, other, now);
    for (std::size_t i = 0; host && i < g->watchers.size(); ++i) {
        Watch(&g->watchers[i], net, side->settled, now);
    }
    for (auto f = static_cast<std::int32_t>(side->settled.size());
         net.firstFrame == 0 && f <= SettledFrame(net); ++f) {
        side->settled.push_back(SettledInput(net, f));
    }
    side->nextTick += kFrameMs * (ShouldStretch(net) ? 1.01 : 1);
    const bool bothPlaying =
        net.phase == NetPhase::kPlaying && other->net.phase == NetPhase::kPlaying;
    if (bothPlaying && frame >= g->steadyFrom) {
        side->mostAhead = std::max(side->mostAhead, std::abs(net.advantage));
    }
    side->quietAt = side->quietAt < 0 && QuietPeer(net, ms) ? ms : side->quietAt;
    side->endedAt = side->endedAt < 0 && net.phase == NetPhase::kOver ? ms : side->endedAt;
    side->repairedAt = side->repairedAt < 0 && net.repaired >= 0 ? ms : side->repairedAt;
}

// Plays a game until both sides are over or a minute after its end.
void Play(Game* g, std::uint32_t seed, Hello host = HelloOf(0), Hello joiner = HelloOf(1)) {
    GameState start;
    SetStartValues(start);
    for (int role = 0; role < 2; ++role) {
        Side& side = g->sides[role];
        side.keys.seed(seed * 2 + role);
        joiner.roundTripMs = static_cast<std::uint16_t>(2 * g->link.delayMs);
        StartNetGame(&side.net, role == 0 ? host : joiner, start, 0);
    }
    g->sides[1].nextTick = g->link.delayMs; // the joiner's Hello leaves on the host's arrival
    g->net.seed(seed);
    const double end = g->leaveAt * kFrameMs * 2 + 60000;
    Side* s = g->sides;
    const auto watching = [&] {
        return std::any_of(g->watchers.begin(), g->watchers.end(), [](const Watcher& w) {
            return w.leaveAt > 1e8 && w.watching.phase != WatchPhase::kOver;
        });
    };
    while ((s[0].net.phase != NetPhase::kOver || s[1].net.phase != NetPhase::kOver || watching()) &&
           std::min(s[0].nextTick, s[1].nextTick) < end) {
        const int next = s[1].nextTick < s[0].nextTick ? 1 : 0;
        Tick(g, &s[next], &s[1 - next]);
    }
}

// The offline run of the inputs the two sides settled; fills g->offline.
GameState Offline(Game* g, const std::vector<FrameInput>& settled) {
    GameState state;
    SetStartValues(state);
    g->offline.resize(settled.size());
    for (std::size_t f = 0; f < settled.size(); ++f) {
        RunRules(state, settled[f]);
        g->offline[f] = state;
    }
    return state;
}

void ExpectSameEnd(Game* g, const std::string& name) {
    const NetGame& host = g->sides[0].net;
    const NetGame& joiner = g->sides[1].net;
    EXPECT_EQ(host.end, NetEnd::kLeft) << name << joiner.why;
    EXPECT_EQ(joiner.end, NetEnd::kPeerLeft) << name << host.why;
    ASSERT_EQ(host.endFrame, g->leaveAt) << name;
    ASSERT_EQ(joiner.endFrame, g->leaveAt) << name;
    ASSERT_EQ(g->sides[0].settled.size(), std::size_t(g->leaveAt)) << name;
    ASSERT_TRUE(g->sides[0].settled == g->sides[1].settled) << name;
    const GameState offline = Offline(g, g->sides[0].settled);
    EXPECT_EQ(HashState(FinalNetState(host)), HashState(offline)) << name;
    EXPECT_EQ(HashState(FinalNetState(joiner)), HashState(offline)) << name;
    EXPECT_GE(std::min(host.checked, joiner.checked), g->leaveAt - 2 * kRollbackWindow) << name;
}

// The most time, in frames, between the two sides running the same frame,
// from steadyFrom on.
double Apart(const Game& g) {
    const std::vector<double>& host = g.sides[0].ranAt;
    const std::vector<double>& joiner = g.sides[1].ranAt;
    double most = 0;
    for (std::size_t f = g.steadyFrom; f < std::min(host.size(), joiner.size()); ++f) {
        most = std::max(most, std::abs(host[f] - joiner[f]) / kFrameMs);
    }
    return most;
}

int EnvCount(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

// FLAGRUN_NETSOAK_GAMES and FLAGRUN_NETSOAK_FRAMES make it the long run.
TEST(Online, NoDesyncNoStallUnderLossJitterDuplicationAndOutages) {
    const int games = EnvCount("FLAGRUN_NETSOAK_GAMES", 24);
    const int frames = EnvCount("FLAGRUN_NETSOAK_FRAMES", 2000);
    std::mt19937 pick(2026);
    std::uniform_real_distribution<double> share(0, 1);
    for (int seed = 0; seed < games; ++seed) {
        auto g = std::make_unique<Game>();
        g->link = {share(pick) * 500, share(pick) * 50, share(pick) * 0.2, 0.02, share(pick) * 500};
        g->leaveAt = frames;
        g->steadyFrom = frames * 3 / 4; // a late start, an outage in the handshake, made up
        Play(g.get(), seed);
        ExpectSameEnd(g.get(), "game " + std::to_string(seed) + ": ");
        EXPECT_EQ(g->sides[0].stalls + g->sides[1].stalls, 0) << "game " << seed;
        EXPECT_LE(Apart(*g), 1.0) << "game " << seed;
        EXPECT_LE(std::max(g->sides[0].mostAhead, g->sides[1].mostAhead), 3.0) << "game " << seed;
    }
}

// With the other side idle every guess is right: the present after each
// frame is the offline run's, the local key acting in the frame it is read.
TEST(Online, ALocalKeyActsInTheFrameItIsRead) {
    for (int role = 0; role < 2; ++role) {
        auto g = std::make_unique<Game>();
        g->link = {50, 0, 0, 0, 0}; // a round trip of 100 ms
        g->sides[1 - role].idle = true;
        Play(g.get(), 1);
        ExpectSameEnd(g.get(), "first run ");
        const auto offline = g->offline;
        auto again = std::make_unique<Game>(); // counts the present against the offline run
        again->link = g->link;
        again->sides[1 - role].idle = true;
        again->offline = offline;
        Play(again.get(), 1);
        EXPECT_EQ(again->sides[role].presentWrong, 0) << "role " << role;
        EXPECT_GT(again->sides[1 - role].presentWrong, 0) << "role " << role;
    }
}
} // namespace

// The host starts 18 frames late: the joiner's frames stretch by 1% until
// the two are within a frame, and none waits.
TEST(Online, TheSideAheadSlowsUntilWithinAFrame) {
    auto g = std::make_unique<Game>();
    g->link = {300, 0, 0, 0, 0};
    g->leaveAt = 3600;
    g->steadyFrom = 3000;
    g->hostLateMs = 300;
    Play(g.get(), 3);
    ExpectSameEnd(g.get(), "");
    EXPECT_LE(Apart(*g), 1.0);
    EXPECT_EQ(g->sides[0].stalls + g->sides[1].stalls, 0);
}

// The other side idle, so that no correction puts the bit back. The host
// finds the difference a round trip after the flip and sends its state,
// which the joiner takes a round trip later; then they play on in sync.
TEST(Online, AFlippedBitIsRepairedFromTheHostsState) {
    auto g = std::make_unique<Game>();
    g->link = {50, 0, 0, 0, 0};
    g->flipAt = 300;
    g->sides[0].idle = true;
    Play(g.get(), 4);
    ExpectSameEnd(g.get(), "");
    const double flipped = g->sides[1].ranAt.at(300);
    EXPECT_LE(g->sides[0].net.repairSentMs, flipped + 100 + 2 * kFrameMs);
    EXPECT_LE(g->sides[1].repairedAt, g->sides[0].net.repairSentMs + 100 + 2 * kFrameMs);
    EXPECT_EQ(g->sides[1].net.repaired, 299);
    for (const Side& side : g->sides) {
        EXPECT_EQ(side.net.notice, "resynchronised at frame 300");
    }
}

TEST(Online, RefusesOtherVersionsProtocolsAndRulesOnBothSides) {
    const char* host = "the other player runs flagrun 1.3.0; this is 1.2.0";
    const char* joiner = "the other player runs flagrun 1.2.0; this is 1.3.0";
    Hello h = HelloOf(0);
    Hello j = HelloOf(1);
    std::strcpy(h.gameVersion, "1.2.0");
    std::strcpy(j.gameVersion, "1.3.0");
    auto g = std::make_unique<Game>();
    Play(g.get(), 5, h, j);
    EXPECT_EQ(g->sides[0].net.why, host);
    EXPECT_EQ(g->sides[1].net.why, joiner);
    j = HelloOf(1);
    j.rulesHash += 1;
    g = std::make_unique<Game>();
    Play(g.get(), 5, HelloOf(0), j);
    EXPECT_EQ(g->sides[0].net.why,
              "the other player's flagrun 1.0.0 plays by other rules than this one");
    for (const Side& side : g->sides) {
        EXPECT_EQ(side.net.end, NetEnd::kRefused);
        EXPECT_EQ(side.net.endFrame, 0);
    }
    EXPECT_EQ(Refusal(HelloOf(0), HelloOf(2)), "the other side only watches");
    EXPECT_EQ(Refusal(HelloOf(0), HelloOf(0)), "the other side hosts too");
    EXPECT_EQ(Refusal(HelloOf(2), HelloOf(0)), "");
}

TEST(Online, APauseHoldsBothSidesOnTheSameFrame) {
    auto g = std::make_unique<Game>();
    g->link = {80, 20, 0.05, 0, 0};
    g->pauseAt = 200;
    g->steadyFrom = 400;
    Play(g.get(), 6);
    ASSERT_EQ(g->pausedShown.size(), 2u);
    EXPECT_EQ(g->pausedShown[0], g->pausedShown[1]);
    EXPECT_GE(g->pausedPasses, 60);
    ExpectSameEnd(g.get(), "");
    EXPECT_LE(Apart(*g), 1.0);
    EXPECT_LE(std::max(g->sides[0].mostAhead, g->sides[1].mostAhead), 1.0);
}

// The joiner stops at frame 300: the host notices after a second and ends
// after thirty, with the frames both settled.
TEST(Online, SilenceShowsAfterASecondAndEndsAfterThirty) {
    auto g = std::make_unique<Game>();
    g->link = {20, 0, 0, 0, 0};
    g->freezeAt = 300;
    Play(g.get(), 7);
    const Side& host = g->sides[0];
    const double lastHeard = g->sides[1].ranAt.at(299) + 20; // its last pass
    EXPECT_EQ(host.net.end, NetEnd::kSilent);
    EXPECT_NEAR(host.quietAt, lastHeard + kQuietNoticeMs, 2 * kFrameMs);
    EXPECT_NEAR(host.endedAt, lastHeard + kGiveUpMs, 2 * kFrameMs);
    EXPECT_GE(host.net.endFrame, 290);
}

// Twenty seconds with nothing through, a second into the game: both wait,
// say so, and play on to the same end.
TEST(Online, ANetworkDownFor20SecondsIsWaitedOut) {
    auto g = std::make_unique<Game>();
    g->link = {30, 10, 0.05, 0, 20000};
    g->leaveAt = 1800;
    Play(g.get(), 8);
    ExpectSameEnd(g.get(), "");
    EXPECT_NEAR(g->sides[0].quietAt, 1000 + 30 + kQuietNoticeMs, 50); // its last word, and a second
    EXPECT_NEAR(g->sides[1].quietAt, 1000 + 30 + kQuietNoticeMs, 50);
}

// Killed at frame 300 and started again 3 s later, the joiner is back in
// the game within 2 s, from the host's state, and both end in sync.
TEST(Online, AJoinerStartedAgainIsBackWithinTwoSecondsInSync) {
    auto g = std::make_unique<Game>();
    g->link = {50, 10, 0.05, 0, 0};
    g->freezeAt = 300;
    g->restartAfterMs = 3000;
    g->leaveAt = 1200;
    Play(g.get(), 9);
    const Side& host = g->sides[0];
    const Side& joiner = g->sides[1];
    EXPECT_EQ(host.net.end, NetEnd::kLeft);
    EXPECT_EQ(joiner.net.end, NetEnd::kPeerLeft);
    ASSERT_EQ(joiner.net.endFrame, g->leaveAt);
    EXPECT_GT(joiner.net.firstFrame, 300);
    EXPECT_LE(joiner.ranAt.at(0), joiner.restartedAt + 2000);
    EXPECT_EQ(HashState(FinalNetState(joiner.net)), HashState(FinalNetState(host.net)));
    EXPECT_EQ(HashState(Offline(g.get(), host.settled)), HashState(FinalNetState(host.net)));
}

// Eight watchers join at random times, one on a slow link, one leaving
// halfway: the players neither stall nor drift, and every watcher who
// stays ends on the players' final state.
TEST(Online, EightWatchersEndOnThePlayersFinalState) {
    auto g = std::make_unique<Game>();
    g->link = {40, 10, 0.05, 0.02, 0};
    g->leaveAt = 3000;
    g->steadyFrom = 300;
    std::mt19937 pick(11);
    for (int i = 0; i < kWatchers; ++i) {
        const double joinAt = 500 + pick() % 40000;
        const double leaveAt = i == 0 ? joinAt + 5000 : 1e9;
        g->watchers.push_back({joinAt, leaveAt, i == 1 ? 3000.0 : 40.0});
    }
    Play(g.get(), 10);
    ExpectSameEnd(g.get(), "");
    EXPECT_EQ(g->sides[0].stalls + g->sides[1].stalls, 0);
    EXPECT_LE(Apart(*g), 1.0);
    for (int i = 1; i < kWatchers; ++i) {
        const Watching& w = g->watchers[i].watching;
        EXPECT_EQ(w.phase, WatchPhase::kOver) << i;
        EXPECT_EQ(w.shown, g->leaveAt) << i;
        EXPECT_EQ(HashState(w.state), HashState(FinalNetState(g->sides[0].net))) << i;
    }
    EXPECT_NE(g->watchers[0].watching.phase, WatchPhase::kOver); // gone before the end
}
