// The frame: the drain, the rules, and the drawing that reads what they left.
#include "app/frame.h"

#include "app/present.h"
#include "input/bindings.h"
#include "rules/rules.h"
#include "view/notice.h"
#include "view/render.h"

#include <SDL.h>

GameState game;

EventRequests DrainEvents() {
    EventRequests requests;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            requests.quit = 1;
        }
        if (event.type != SDL_KEYDOWN) {
            continue;
        }
        const SDLKey key = event.key.keysym.sym;
        if (key == kQuitKey) {
            requests.quit = 1;
        }
        if (key == kPauseKey) {
            requests.togglePause = !requests.togglePause;
        }
        if (key == kFullScreenKey) {
            requests.toggleFullScreen = !requests.toggleFullScreen;
        }
        if (key == kMuteKey) {
            requests.toggleMute = !requests.toggleMute;
        }
        if (key == kNetStatusKey) {
            requests.toggleStatus = !requests.toggleStatus;
        }
    }
    return requests;
}

FrameEvents RunFrame(const FrameInput& input, FrameDrawing drawing) {
    const FrameEvents events = RunRules(game, input);
    if (drawing == FrameDrawing::kDrawn) {
        RenderFrame(game, events);
        DrawNotice();
        PresentFrame();
    }
    return events;
}
