// flagrun: the program's entry and its main loop.
#include "game/bindings.h"
#include "game/frame.h"
#include "game/startup.h"

#include <SDL.h>

// One pass of the loop is one frame. The quit flag is tested only here, so
// the frame in which a quit request is seen still runs to its flip.
static int GameMain(int /*argc*/, char** /*argv*/) {
    StartUp();
    int quit = 0;
    while (!quit) {
        DrainEvents(&quit);
        const FrameInput input = ReadFrameInput(SDL_GetKeyState(nullptr));
        RunFrame(input);
    }
    ShutDown();
    return 0;
}

int main(int argc, char** argv) {
    return GameMain(argc, argv);
}
