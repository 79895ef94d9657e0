// Motion and bounds: enemies and their lasers move and bounce, the players'
// lasers keep to the playfield, players are held inside it and out of the
// obstacle zone, the red flag is picked up and shots fly.
#pragma once

#include "rules/events.h"
#include "rules/game_state.h"

// Enemies move by their velocity, then their lasers by minus theirs.
void MoveEnemiesAndLasers(GameState& state);

// A living enemy's laser that has passed x or y -12 comes back to it.
void ReturnEnemyLasersPastEdges(GameState& state, FrameEvents* events);

// Enemies turn at the four playfield edges and off the obstacle zone.
void BounceEnemies(GameState& state);

// The players' lasers reflect at the left and top edges and the obstacle
// zone; their flight ends past the right or the bottom edge.
void BoundPlayerLasers(GameState& state);

// Players are pushed back inside the playfield and out of the obstacle zone.
void LimitPlayers(GameState& state);

// An enemy laser inside the obstacle zone comes back to its enemy.
void ReturnEnemyLasersFromZone(GameState& state, FrameEvents* events);

// A player below and to the right of the red flag picks it up.
void PickUpFlag(GameState& state, FrameEvents* events);

// Every player's projectile in flight moves by its velocity.
void FlyProjectiles(GameState& state);
