// The controls: one input record moves the players and the carried flag and
// launches shots; resting shots then ride with their owners.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"
#include "rules/input.h"

// Each player moves one pixel per held direction, only while alive.
void MovePlayers(GameState& state, const FrameInput& input);

// A living carrier's directions move the red flag, Player 1's first.
void MoveCarriedFlag(GameState& state, const FrameInput& input, FrameEvents* events);

// A held laser or grenade trigger launches a living owner's shot.
void PullTriggers(GameState& state, const FrameInput& input, FrameEvents* events);

// Every projectile not in flight is put onto its owner; a resting grenade
// parks its owner's blast marker.
void AttachRestingProjectiles(GameState& state);
