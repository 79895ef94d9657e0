// The game's palette: a few four-tone ramps (darkest first) shared by all
// sprites, so the blue team, the red team and the props read as one set.
// No colour here is pure black: pure black is reserved for the playfield
// and the erasing margins around every sprite.
#pragma once

#include "raster.h"

namespace palette {

constexpr Rgb kBlueInk = {10, 18, 52};  // contour of the blue team
constexpr Rgb kRedInk = {54, 10, 12};   // contour of the red team
constexpr Rgb kSteelInk = {22, 24, 34}; // contour of metal props
constexpr Rgb kWhite = {240, 248, 255};

constexpr Ramp kBlueArmour = {{{24, 48, 140}, {40, 88, 210}, {78, 142, 245}, {170, 214, 255}}};
constexpr Ramp kRedArmour = {{{110, 18, 22}, {176, 34, 34}, {228, 72, 56}, {255, 168, 138}}};
constexpr Ramp kSteel = {{{52, 56, 72}, {92, 98, 118}, {140, 148, 166}, {200, 206, 220}}};
constexpr Ramp kDarkSteel = {{{34, 36, 48}, {56, 60, 76}, {82, 88, 108}, {120, 128, 150}}};
constexpr Ramp kGold = {{{130, 80, 14}, {196, 136, 28}, {240, 196, 60}, {255, 240, 160}}};
constexpr Ramp kCyanGlow = {{{8, 60, 110}, {30, 150, 220}, {110, 225, 255}, {225, 255, 255}}};
constexpr Ramp kEmberGlow = {{{120, 24, 8}, {220, 70, 20}, {255, 160, 40}, {255, 240, 190}}};
constexpr Ramp kOlive = {{{36, 52, 22}, {62, 88, 36}, {96, 128, 54}, {160, 190, 104}}};
constexpr Ramp kAsh = {{{36, 34, 38}, {58, 54, 58}, {86, 80, 82}, {122, 116, 114}}};
constexpr Ramp kDeadBlue = {{{26, 32, 58}, {44, 56, 92}, {70, 86, 128}, {112, 128, 168}}};
constexpr Ramp kScorched = {{{44, 20, 18}, {70, 32, 28}, {98, 48, 40}, {132, 74, 60}}};
constexpr Ramp kBarrierPaint = {{{150, 26, 20}, {214, 48, 32}, {236, 232, 222}, {255, 255, 255}}};

// The arena itself stays near black: every sprite is an opaque rectangle
// with a black margin, so anything brighter would box the sprites in.
constexpr Rgb kFloorDot = {12, 18, 34};
constexpr Rgb kConsoleFill = {10, 13, 24}; // the HUD panel and tag plates
constexpr Rgb kConsoleDeep = {5, 7, 14};   // the HUD strip, barely off the floor
constexpr Rgb kConsoleLine = {20, 38, 78}; // their frames, like the home pad's
constexpr Rgb kConsoleBracket = {48, 96, 184};
constexpr Rgb kTagChip = {22, 34, 70};
constexpr Rgb kConsoleSlot = {15, 21, 40};
constexpr Rgb kConsoleDot = {22, 34, 64};

// The off-limits block: a raised deck, hatched, ringed by hazard paint.
constexpr Rgb kBlockDeck = {17, 18, 25};
constexpr Rgb kBlockHatch = {27, 28, 38};
constexpr Rgb kHazardAmber = {112, 82, 22};
constexpr Rgb kHazardDark = {22, 20, 16};
constexpr Ramp kBlockFace = {{{10, 11, 16}, {24, 26, 36}, {38, 41, 54}, {74, 80, 100}}};

} // namespace palette
