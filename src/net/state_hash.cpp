// A state's fields visited one after the other: hashed, or copied out and in.
#include "net/state_hash.h"

#include <initializer_list>

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037u;
constexpr std::uint64_t kFnvPrime = 1099511628211u;

// Every field of a GameState is an int32 and all are visited: a new field
// changes this size and stops the build here until it is visited too.
static_assert(sizeof(GameState) == kStateWords * 4, "visit every field of GameState");

template <typename State, typename Visit> void VisitProjectile(State& p, Visit visit) {
    for (auto* field : {&p.x, &p.y, &p.dx, &p.dy, &p.inFlight}) {
        visit(*field);
    }
}

template <typename Player, typename Visit> void VisitPlayer(Player& p, Visit visit) {
    for (auto* field : {&p.x, &p.y, &p.dead, &p.corpseX, &p.corpseY, &p.carryingFlag}) {
        visit(*field);
    }
    VisitProjectile(p.laser, visit);
    VisitProjectile(p.grenade, visit);
    for (auto* field : {&p.blastX, &p.blastY, &p.exp, &p.bounty}) {
        visit(*field);
    }
}

template <typename Enemy, typename Visit> void VisitEnemy(Enemy& e, Visit visit) {
    for (auto* field : {&e.x, &e.y, &e.dx, &e.dy}) {
        visit(*field);
    }
    VisitProjectile(e.laser, visit);
    visit(e.wreckX);
    visit(e.wreckY);
}

// Calls visit on each field of the state, in the order they are declared.
template <typename State, typename Visit> void VisitState(State& s, Visit visit) {
    VisitPlayer(s.player1, visit);
    VisitPlayer(s.player2, visit);
    VisitEnemy(s.enemy1, visit);
    VisitEnemy(s.enemy2, visit);
    for (auto* field : {&s.redFlagX, &s.redFlagY, &s.blueFlagX, &s.blueFlagY, &s.homePatchX,
                        &s.homePatchY, &s.restartCountdown}) {
        visit(*field);
    }
}

} // namespace

std::uint64_t HashBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint64_t hash = kFnvOffset;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * kFnvPrime;
    }
    return hash;
}

std::uint64_t HashState(const GameState& state) {
    std::uint8_t bytes[kStateWords * 4];
    std::size_t size = 0;
    VisitState(state, [&](std::int32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[size++] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8 * i);
        }
    });
    return HashBytes(bytes, size);
}

void StateToWords(const GameState& state, std::int32_t words[kStateWords]) {
    std::size_t next = 0;
    VisitState(state, [&](std::int32_t value) { words[next++] = value; });
}

void StateFromWords(const std::int32_t words[kStateWords], GameState* state) {
    std::size_t next = 0;
    VisitState(*state, [&](std::int32_t& field) { field = words[next++]; });
}
