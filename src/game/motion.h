// Motion and bounds: enemies and their lasers move and bounce, the players'
// lasers keep to the playfield, players are held inside it and out of the
// obstacle zone, the red flag is picked up and shots fly.
#pragma once

// Enemies move by their velocity, then their lasers by minus theirs.
void MoveEnemiesAndLasers();

// A living enemy's laser that has passed x or y -12 comes back to it.
void ReturnEnemyLasersPastEdges();

// Enemies turn at the four playfield edges and off the obstacle zone.
void BounceEnemies();

// The players' lasers reflect at the left and top edges and the obstacle
// zone; their flight ends past the right or the bottom edge.
void BoundPlayerLasers();

// Players are pushed back inside the playfield and out of the obstacle zone.
void LimitPlayers();

// An enemy laser inside the obstacle zone comes back to its enemy.
void ReturnEnemyLasersFromZone();

// A player below and to the right of the red flag picks it up.
void PickUpFlag();

// Every player's projectile in flight moves by its velocity.
void FlyProjectiles();
