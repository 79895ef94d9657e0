// The fixture and small helpers shared by the rule tests.
#pragma once

#include "game_fixture.h"

#include <array>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

using Pair = std::pair<std::int32_t, std::int32_t>;

inline constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
inline constexpr Pair kOff{kParked, kParked};

struct RulesTest : GameTest {
    template <typename T> static Pair Pos(const T& t) { return {t.x, t.y}; }
    template <typename T> static void Place(T& t, Pair at) { std::tie(t.x, t.y) = at; }
    static Pair Plus(Pair a, Pair b) { return {a.first + b.first, a.second + b.second}; }
    static Pair Flag() { return {game.redFlagX, game.redFlagY}; }
    static Pair Score(const PlayerState& p) { return {p.exp, p.bounty}; }
    static Pair Blast(const PlayerState& p) { return {p.blastX, p.blastY}; }
    static Pair Exp() { return {game.player1.exp, game.player2.exp}; }

    // Back to the start values (for the next row of a table), Player 1 at p1.
    static void Fresh(Pair p1 = {0, 0}) {
        game = GameState{};
        SetStartValues();
        Place(game.player1, p1);
    }
    // Puts an alive enemy, and its laser, where this frame's motion brings it.
    static void EnemyArrivesAt(EnemyState& enemy, Pair at) {
        Place(enemy, Plus(at, {-1, -1}));
        Place(enemy.laser, Pos(enemy));
        enemy.dx = enemy.dy = 1;
    }
};
