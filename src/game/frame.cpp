// The frame: a fixed, flat list of steps, each complete for all its
// entities before the next begins.
#include "game/frame.h"

#include "draw/render.h"
#include "game/controls.h"
#include "game/hits.h"
#include "game/motion.h"
#include "game/restart.h"

void DrainEvents(EventRequests* requests) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            requests->quit = 1;
        }
        if (event.type != SDL_KEYDOWN) {
            continue;
        }
        const SDLKey key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE) {
            requests->quit = 1;
        }
        if (key == kPauseKey) {
            requests->togglePause = !requests->togglePause;
        }
        if (key == kFullScreenKey) {
            requests->toggleFullScreen = !requests->toggleFullScreen;
        }
    }
}

void DrainEvents(int* quit) {
    EventRequests requests;
    DrainEvents(&requests);
    if (requests.quit) {
        *quit = 1;
    }
}

void RunRules(const Uint8* keys) {
    // controls
    MovePlayers(keys);
    MoveCarriedFlag(keys);
    PullTriggers(keys);
    AttachRestingProjectiles();

    // motion and bounds
    MoveEnemiesAndLasers();
    ReturnEnemyLasersPastEdges();
    BounceEnemies();
    BoundPlayerLasers();
    LimitPlayers();
    ReturnEnemyLasersFromZone();
    PickUpFlag();
    FlyProjectiles();

    // hits and scoring
    ResolveHits();
    EndGrenadeFlights();

    // game end and restart
    RunCaptureCountdown();
    StartNewGameWhenDue();
    RunBothDeadCountdown();
}

void RunFrame(const Uint8* keys) {
    RunRules(keys);
    RenderFrame();
}
