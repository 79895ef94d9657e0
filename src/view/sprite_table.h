// The sprite list: every slot of the image set with its file and its role,
// in loading order. Loading, the tests and the asset generator read it.
#pragma once

#include "view/image_set.h"

#include <cstddef>

struct SpriteSlot {
    SDL_Surface* ImageSet::*slot;
    const char* file; // relative to the working directory
    const char* role;
};

inline constexpr SpriteSlot kSpriteSlots[] = {
    {&ImageSet::background, "Graphics/bg.bmp", "the playfield and HUD strip"},
    {&ImageSet::player1Body, "Graphics/bluedr.bmp", "Player 1"},
    {&ImageSet::player2Body, "Graphics/bluedr.bmp", "Player 2"},
    {&ImageSet::enemy1Body, "Graphics/redtl.bmp", "enemy 1"},
    {&ImageSet::enemy2Body, "Graphics/redtl.bmp", "enemy 2"},
    {&ImageSet::blueFlag, "Graphics/flagb.bmp", "the blue flag at home"},
    {&ImageSet::redFlag, "Graphics/flagr.bmp", "the red flag"},
    {&ImageSet::player1Laser, "Graphics/lazer1.bmp", "Player 1's laser"},
    {&ImageSet::player2Laser, "Graphics/lazer1.bmp", "Player 2's laser"},
    {&ImageSet::enemy1Laser, "Graphics/lazer2.bmp", "enemy 1's laser"},
    {&ImageSet::enemy2Laser, "Graphics/lazer2.bmp", "enemy 2's laser"},
    {&ImageSet::player1Corpse, "Graphics/bluedr-dead.bmp", "Player 1's corpse"},
    {&ImageSet::player2Corpse, "Graphics/bluedr-dead.bmp", "Player 2's corpse"},
    {&ImageSet::enemy1Wreck, "Graphics/reddr-dead.bmp", "enemy 1's wreck"},
    {&ImageSet::enemy2Wreck, "Graphics/reddr-dead.bmp", "enemy 2's wreck"},
    {&ImageSet::roadblock, "Graphics/roadblock.bmp", "the roadblock"},
    {&ImageSet::player1Grenade, "Graphics/grenade1.bmp", "Player 1's grenade"},
    {&ImageSet::player2Grenade, "Graphics/grenade1.bmp", "Player 2's grenade"},
    {&ImageSet::player1Blast, "Graphics/explosion1.bmp", "Player 1's blast"},
    {&ImageSet::player2Blast, "Graphics/explosion1.bmp", "Player 2's blast"},
    {&ImageSet::hudEraser, "Graphics/black.bmp", "the panel under the experience lines"},
    {&ImageSet::countdownEraser, "Graphics/black.bmp", "the panel under the countdown"},
    {&ImageSet::player1TagEraser, "Graphics/black2.bmp", "the plate under Player 1's tag"},
    {&ImageSet::player2TagEraser, "Graphics/black2.bmp", "the plate under Player 2's tag"},
};

inline constexpr std::size_t kSpriteSlotCount = sizeof(kSpriteSlots) / sizeof(kSpriteSlots[0]);
