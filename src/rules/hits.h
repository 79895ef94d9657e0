// Hits and scoring: lasers and grenades destroy enemies, enemy lasers kill
// players, and grenades leave play past 640.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"

#include <cstdint>

// A projectile point lies strictly inside the 32x32 box at a target's
// position: a point on the box's own corner or far edges does not hit.
bool PointInBox(std::int32_t px, std::int32_t py, std::int32_t tx, std::int32_t ty);

// The streak value after one more kill: 3 x (bounty + 1), held at the
// largest 32-bit value.
std::int32_t NextBounty(std::int32_t bounty);

// The twelve hit tests, in order: lasers, then grenades, against enemy 1
// then enemy 2; then each enemy laser against Player 1 then Player 2.
void ResolveHits(GameState& state, FrameEvents* events);

// A grenade past 640 on either axis ends its flight.
void EndGrenadeFlights(GameState& state);
