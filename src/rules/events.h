// The record of what happened in one frame of rules. The state after the
// frame cannot tell it (a shot fired and stopped in the same frame, a count
// shown and a new game started), so the rules hand it to the drawing and the
// sound beside the new state.
#pragma once

#include <cstdint>

struct PlayerEvents {
    bool laserFired = false;    // the laser set off from rest
    bool grenadeThrown = false; // the grenade set off from rest
    bool grenadeBurst = false;  // the grenade destroyed an enemy
    std::int32_t kills = 0;     // enemies destroyed by his laser or grenade
    bool died = false;          // a living player was hit
    bool pickedUpFlag = false;

    bool operator==(const PlayerEvents&) const = default;
};

struct EnemyEvents {
    bool laserReturned = false; // the laser came back to the enemy to fly again
    bool destroyed = false;

    bool operator==(const EnemyEvents&) const = default;
};

// At most two counts are shown in a frame: the capture countdown's, then
// the both-dead countdown's.
inline constexpr int kMostCountdownsShown = 2;

struct FrameEvents {
    PlayerEvents player1;
    PlayerEvents player2;
    EnemyEvents enemy1;
    EnemyEvents enemy2;
    bool flagHome = false; // the carried flag entered the home corner
    // The counts shown, in the order shown; a new game starts after them.
    std::int32_t countdownsShown[kMostCountdownsShown] = {};
    int countdownCount = 0;
    bool newGame = false;

    bool operator==(const FrameEvents&) const = default;
};
