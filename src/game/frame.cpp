// The frame: a fixed, flat list of steps, each complete for all its
// entities before the next begins.
#include "game/frame.h"

#include "draw/erase.h"
#include "draw/render.h"
#include "game/bindings.h"
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
        if (key == kQuitKey) {
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

void RunRules(const FrameInput& input) {
    // controls
    MovePlayers(input);
    MoveCarriedFlag(input);
    PullTriggers(input);
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

// The erase comes before the rules because the countdowns and the new game
// draw during them.
void RunFrame(const FrameInput& input) {
    EraseLastFrame();
    RunRules(input);
    RenderFrame();
}
