// Every fixed place of the game in one header: the window, the playfield,
// the zones, the start points and where the HUD puts its texts. Shared by
// the rules, the drawing, the asset generator and the tests.
#pragma once

#include <cstdint>

// The window: the playfield on top, the HUD strip below it.
inline constexpr std::int32_t kScreenWidth = 640;
inline constexpr std::int32_t kScreenHeight = 530;
inline constexpr std::int32_t kScreenDepth = 32;
inline constexpr std::int32_t kPlayfieldWidth = 640;
inline constexpr std::int32_t kPlayfieldHeight = 480;

// Players and enemies are 32x32 squares for hits; tags hang below them.
inline constexpr std::int32_t kBodySize = 32;

// The furthest a player's top-left corner may stand: the limits push him
// back by 2 once he passes them.
inline constexpr std::int32_t kPlayerMaxX = 618;
inline constexpr std::int32_t kPlayerMaxY = 448;

// An enemy laser that has passed this far beyond the left or top edge goes
// back to its enemy.
inline constexpr std::int32_t kEnemyLaserReturn = -12;

// A grenade's flight ends past this on either axis: it crosses the HUD strip
// and the playfield's right edge alike.
inline constexpr std::int32_t kGrenadeLimit = 640;

// The obstacle zone: top-left corners with x >= 175 and y <= 148.
inline constexpr std::int32_t kZoneMinX = 175;
inline constexpr std::int32_t kZoneMaxY = 148;

// The home corner: red-flag positions with x < 80 and y < 80.
inline constexpr std::int32_t kHomeCornerX = 80;
inline constexpr std::int32_t kHomeCornerY = 80;

// A corpse, wreck or blast marker at this x or y lies outside the window.
inline constexpr std::int32_t kParked = 700;

struct Point {
    std::int32_t x;
    std::int32_t y;
};

// Start points. Player 1 starts a run at (0, 0) but every new game puts him
// at (1, 1): the two placements differ on purpose and must stay so.
inline constexpr Point kPlayer1Start = {0, 0};
inline constexpr Point kPlayer1Restart = {1, 1};
inline constexpr Point kPlayer2Start = {50, 50};
inline constexpr Point kEnemy1Start = {500, 300};
inline constexpr Point kEnemy2Start = {600, 400};
inline constexpr Point kRedFlagStart = {590, 430};
inline constexpr Point kBlueFlag = {0, 50};
inline constexpr Point kHomePatch = {0, 0};

// The background's top-left patch, restored every frame: a 132x132
// rectangle asked for at (patch - 2), which clipping cuts to 130x130.
inline constexpr std::int32_t kHomePatchRequest = 132;
inline constexpr std::int32_t kHomePatchMargin = 2;

// Fixed sprites and erasers.
inline constexpr Point kRoadblock = {128, 222};
inline constexpr Point kHudEraser = {1, 430};
inline constexpr Point kCountdownText = {300, 440};
inline constexpr std::int32_t kSecondsX = 410;

// The experience lines in the HUD strip: labels at x 1, values at x 110.
inline constexpr std::int32_t kExpLabelX = 1;
inline constexpr std::int32_t kExpValueX = 110;
inline constexpr std::int32_t kExpLine1Y = 480;
inline constexpr std::int32_t kExpLine2Y = 500;

// A bounty tag: "Bty:" at the player's x, its value 32 further right, both
// 32 rows below the player's position.
inline constexpr std::int32_t kTagOffsetY = 32;
inline constexpr std::int32_t kTagValueOffsetX = 32;
