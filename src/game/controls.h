// The controls: one reading of the keyboard moves the players, the carried
// flag and launches shots; resting shots then ride with their owners.
#pragma once

#include <SDL.h>

// Player 1 moves with the arrows, Player 2 with W, S, A, D, one pixel per
// held key, each only while alive.
void MovePlayers(const Uint8* keys);

// A living carrier's movement keys move the red flag, Player 1's first.
void MoveCarriedFlag(const Uint8* keys);

// Space, Left Ctrl, Left Shift and Right Alt launch a living owner's shot.
void PullTriggers(const Uint8* keys);

// Every projectile not in flight is put onto its owner; a resting grenade
// parks its owner's blast marker.
void AttachRestingProjectiles();
