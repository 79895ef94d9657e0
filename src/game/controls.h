// The controls: one reading of the keyboard moves the players, the carried
// flag and launches shots; resting shots then ride with their owners.
#pragma once

#include "game/input.h"

// Each player moves one pixel per held direction, only while alive.
void MovePlayers(const FrameInput& input);

// A living carrier's directions move the red flag, Player 1's first.
void MoveCarriedFlag(const FrameInput& input);

// A held laser or grenade trigger launches a living owner's shot.
void PullTriggers(const FrameInput& input);

// Every projectile not in flight is put onto its owner; a resting grenade
// parks its owner's blast marker.
void AttachRestingProjectiles();
