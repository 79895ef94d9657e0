// Two rollback sessions in one process over a simulated network on a
// virtual clock: seeded delay, jitter (so reordering), loss, duplication and
// outages. Every frame both sides confirm must hold the same state, which
// is also the state an offline run of the confirmed inputs reaches.
#include "net/rollback.h"
#include "rules/rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <vector>

namespace {

struct Link {
    double delayMs;
    double jitterMs;
    double loss;
    double duplication;
    double outageMs; // one outage of this length, a second into the game
};

struct Packet {
    std::int32_t ack;
    std::int32_t first;
    std::vector<std::uint8_t> inputs;
};

constexpr double kFrameMs = 1000.0 / 60;
constexpr std::int32_t kMostInputs = 64;

bool SameState(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// One side: its session, its player's random held keys, its inbox.
struct Side {
    RollbackSession session;
    std::mt19937 keys;
    std::uint8_t held = 0;
    int holdFor = 0;
    std::multimap<double, Packet> inbox;
    std::vector<GameState> confirmed; // the state after each confirmed frame
    std::vector<std::uint8_t> played; // the local input of each frame, as read
    int stalls = 0;
};

std::uint8_t NextKeys(Side* side) {
    if (side->holdFor-- <= 0) {
        side->held = static_cast<std::uint8_t>(side->keys() & 63);
        side->holdFor = static_cast<int>(5 + side->keys() % 56);
    }
    return side->held;
}

void Send(const Side& from, Side* to, double now, const Link& link, std::mt19937* net) {
    const RollbackSession& s = from.session;
    Packet packet{s.remoteKnown, s.peerKnows + 1, {}};
    for (std::int32_t f = packet.first; f <= LastLocalFrame(s) && f < packet.first + kMostInputs;
         ++f) {
        packet.inputs.push_back(LocalInput(s, f));
    }
    std::uniform_real_distribution<double> chance(0, 1);
    const bool out = now > 1000 && now < 1000 + link.outageMs;
    for (int copy = 0; copy < (chance(*net) < link.duplication ? 2 : 1); ++copy) {
        if (!out && chance(*net) >= link.loss) {
            const double jitter = (chance(*net) * 2 - 1) * link.jitterMs;
            to->inbox.emplace(now + std::max(0.0, link.delayMs + jitter), packet);
        }
    }
}

void Receive(Side* side, double now) {
    while (!side->inbox.empty() && side->inbox.begin()->first <= now) {
        const Packet& packet = side->inbox.begin()->second;
        for (std::size_t i = 0; i < packet.inputs.size(); ++i) {
            ReceiveRemote(&side->session, packet.first + static_cast<std::int32_t>(i),
                          packet.inputs[i]);
        }
        NoteAcknowledged(&side->session, packet.ack);
        side->inbox.erase(side->inbox.begin());
    }
    Correct(&side->session);
    while (static_cast<std::int32_t>(side->confirmed.size()) <= ConfirmedFrame(side->session)) {
        side->confirmed.push_back(
            StateAfter(side->session, static_cast<std::int32_t>(side->confirmed.size())));
    }
}

// A frame of one side: what came in, then the next frame if the window
// lets it run, then what goes out.
void Tick(Side* side, Side* other, double now, const Link& link, std::mt19937* net,
          std::int32_t frames) {
    Receive(side, now);
    if (side->session.frame < frames) {
        if (!CanAdvance(side->session)) {
            side->stalls += 1;
        } else {
            const std::uint8_t keys = NextKeys(side);
            AdvanceFrame(&side->session, keys);
            side->played.push_back(keys);
        }
    }
    Send(*side, other, now, link, net);
}

// Plays a game to its end, then lets the network settle; gives the sides.
void PlayGame(const Link& link, std::uint32_t seed, std::int32_t frames, Side* host, Side* joiner) {
    GameState start;
    SetStartValues(start);
    StartRollback(&host->session, 0, 0, start);
    StartRollback(&joiner->session, 1, 0, start);
    host->keys.seed(seed * 2 + 1);
    joiner->keys.seed(seed * 2 + 2);
    std::mt19937 net(seed);
    const double end = frames * kFrameMs * 3 + 5000 + link.outageMs;
    for (double now = 0; now < end; now += kFrameMs) {
        Tick(host, joiner, now, link, &net, frames);
        Tick(joiner, host, now + kFrameMs / 3, link, &net, frames);
    }
}

TEST(Rollback, NoDesyncOnAnyConfirmedFrameUnderLossJitterDuplicationAndOutages) {
    std::mt19937 pick(2026);
    std::uniform_real_distribution<double> share(0, 1);
    for (std::uint32_t game = 0; game < 24; ++game) {
        const Link link{share(pick) * 100, share(pick) * 50, share(pick) * 0.2, 0.02,
                        share(pick) * 500};
        constexpr std::int32_t kFrames = 2000;
        Side host;
        Side joiner;
        PlayGame(link, game, kFrames, &host, &joiner);
        ASSERT_EQ(host.confirmed.size(), std::size_t{kFrames}) << "game " << game;
        ASSERT_EQ(joiner.confirmed.size(), std::size_t{kFrames}) << "game " << game;
        GameState offline;
        SetStartValues(offline);
        for (std::int32_t f = 0; f < kFrames; ++f) {
            RunRules(offline, MergeInputs(0, host.played[f], joiner.played[f]));
            ASSERT_TRUE(SameState(host.confirmed[f], offline)) << "game " << game << " frame " << f;
            ASSERT_TRUE(SameState(joiner.confirmed[f], offline))
                << "game " << game << " frame " << f;
        }
        EXPECT_EQ(host.stalls + joiner.stalls, 0) << "game " << game << ": delay up to 150 ms";
    }
}

} // namespace
