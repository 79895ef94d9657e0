// A state's fields laid out one after the other, then hashed.
#include "net/state_hash.h"

#include <initializer_list>

namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037u;
constexpr std::uint64_t kFnvPrime = 1099511628211u;

// Every field of a GameState is an int32 and all are hashed: a new field
// changes this size and stops the build here until it is hashed too.
constexpr std::size_t kStateFields = 69;
static_assert(sizeof(GameState) == kStateFields * 4, "hash every field of GameState");

struct FieldBytes {
    std::uint8_t bytes[kStateFields * 4];
    std::size_t size = 0;
};

void Add(FieldBytes& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.bytes[out.size++] = static_cast<std::uint8_t>(bits >> 8 * i);
    }
}

void Add(FieldBytes& out, std::initializer_list<std::int32_t> values) {
    for (std::int32_t value : values) {
        Add(out, value);
    }
}

void Add(FieldBytes& out, const Projectile& p) {
    Add(out, {p.x, p.y, p.dx, p.dy, p.inFlight});
}

void Add(FieldBytes& out, const PlayerState& p) {
    Add(out, {p.x, p.y, p.dead, p.corpseX, p.corpseY, p.carryingFlag});
    Add(out, p.laser);
    Add(out, p.grenade);
    Add(out, {p.blastX, p.blastY, p.exp, p.bounty});
}

void Add(FieldBytes& out, const EnemyState& e) {
    Add(out, {e.x, e.y, e.dx, e.dy});
    Add(out, e.laser);
    Add(out, {e.wreckX, e.wreckY});
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
    FieldBytes out;
    Add(out, state.player1);
    Add(out, state.player2);
    Add(out, state.enemy1);
    Add(out, state.enemy2);
    Add(out, {state.redFlagX, state.redFlagY, state.blueFlagX, state.blueFlagY, state.homePatchX,
              state.homePatchY, state.restartCountdown});
    return HashBytes(out.bytes, out.size);
}
