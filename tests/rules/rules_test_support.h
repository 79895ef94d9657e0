// The fixture and the small helpers shared by the rule tests.
#pragma once

#include "game_fixture.h"

#include <cstdint>
#include <limits>

inline constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
inline constexpr Point kParkedPoint = {kParked, kParked};

inline Point RedFlag() {
    return {game.redFlagX, game.redFlagY};
}
inline void PutFlagAt(Point at) {
    game.redFlagX = at.x;
    game.redFlagY = at.y;
}
inline Point CorpseOf(const PlayerState& player) {
    return {player.corpseX, player.corpseY};
}
inline Point BlastOf(const PlayerState& player) {
    return {player.blastX, player.blastY};
}
inline Point WreckOf(const EnemyState& enemy) {
    return {enemy.wreckX, enemy.wreckY};
}

inline PlayerState& Player(int number) {
    return number == 1 ? game.player1 : game.player2;
}
inline EnemyState& Enemy(int number) {
    return number == 1 ? game.enemy1 : game.enemy2;
}

struct RulesTest : GameTest {
    // Back to the start values of a run, for the next row of a table.
    static void StartRun() {
        game = GameState{};
        SetStartValues(game);
    }

    // An alive enemy that this frame's motion brings to `at`; its laser
    // leaves from there up and to the left, away from the action.
    static void EnemyArrivesAt(EnemyState& enemy, Point at) {
        PutAt(enemy, {at.x - 1, at.y - 1});
        PutAt(enemy.laser, PositionOf(enemy));
        enemy.dx = 1;
        enemy.dy = 1;
    }
};
