// The painters of every picture the game shows. Each returns a finished
// image whose untouched pixels are pure black.
//
// Moving sprites keep a pure black margin at least as wide as their fastest
// step per frame on all four sides: since the playfield is black and is
// never cleared, that margin wipes out the sprite's previous position.
#pragma once

#include "png_writer.h"
#include "raster.h"

// Widths of the erasing margins, in pixels.
constexpr int kBodyMargin = 2;    // players and enemies step up to 2 pixels
constexpr int kFlagMargin = 2;    // a carried flag moves like its carrier
constexpr int kLaserMargin = 3;   // lasers fly 3 pixels a frame
constexpr int kGrenadeMargin = 2; // grenades fly 2 pixels a frame

// The background: black everywhere except the home base in the top-left
// corner, the only part the game restores every frame.
constexpr int kHomePatchSide = 130;
Image PaintBackground();

// The fighters and what is left of them.
Image PaintPlayer();
Image PaintEnemy();
Image PaintPlayerCorpse();
Image PaintEnemyWreck();
Image PaintExplosion();

// Props and shots.
Image PaintBlueFlag();
Image PaintRedFlag();
Image PaintRoadblock();
Image PaintGrenade();
Image PaintPlayerLaser();
Image PaintEnemyLaser();

// A plain black rectangle that blanks text before it is redrawn.
Image PaintEraser(int width, int height);

// The desktop icon in each size of the hicolor theme, each drawn at its own
// size on a transparent ground.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
RgbaImage PaintIcon(int size);
