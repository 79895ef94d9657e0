// The sprite surfaces, one slot per drawn use.
#pragma once

#include <SDL.h>

// One slot per drawn use. A file used by two slots is loaded twice, so no
// surface is shared. A slot whose file did not load stays null and its
// sprite simply does not appear.
struct ImageSet {
    SDL_Surface* background = nullptr;
    SDL_Surface* player1Body = nullptr;
    SDL_Surface* player2Body = nullptr;
    SDL_Surface* enemy1Body = nullptr;
    SDL_Surface* enemy2Body = nullptr;
    SDL_Surface* blueFlag = nullptr;
    SDL_Surface* redFlag = nullptr;
    SDL_Surface* player1Laser = nullptr;
    SDL_Surface* player2Laser = nullptr;
    SDL_Surface* enemy1Laser = nullptr;
    SDL_Surface* enemy2Laser = nullptr;
    SDL_Surface* player1Corpse = nullptr;
    SDL_Surface* player2Corpse = nullptr;
    SDL_Surface* enemy1Wreck = nullptr;
    SDL_Surface* enemy2Wreck = nullptr;
    SDL_Surface* roadblock = nullptr;
    SDL_Surface* player1Grenade = nullptr;
    SDL_Surface* player2Grenade = nullptr;
    SDL_Surface* player1Blast = nullptr;
    SDL_Surface* player2Blast = nullptr;
    SDL_Surface* hudEraser = nullptr;
    SDL_Surface* countdownEraser = nullptr;
    SDL_Surface* player1TagEraser = nullptr;
    SDL_Surface* player2TagEraser = nullptr;
};
