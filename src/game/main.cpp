// flagrun: the program's entry and its main loop.
#include "game/demo_session.h"
#include "game/frame.h"
#include "game/startup.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static void PrintUsage(std::FILE* stream) {
    std::fputs("Usage: flagrun [--record FILE | --play FILE]\n\nOptions:\n", stream);
    std::fputs(kDemoOptionsUsage, stream);
    std::fputs("  --help         print this help and exit\n\nControls:\n"
               "  Player 1   arrow keys move, Space fires a laser, Right Alt throws a grenade\n"
               "  Player 2   W A S D move, Left Ctrl fires a laser, Left Shift throws a grenade\n",
               stream);
    std::fputs(kGamepadUsage, stream);
    std::fputs("  Escape quits\n", stream);
}

// --record FILE or --play FILE.
static bool ParseDemoOption(int argc, char** argv, DemoMode* mode, const char** path) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage(stdout);
            std::exit(0);
        }
        const bool record = std::strcmp(argv[i], "--record") == 0;
        const bool play = std::strcmp(argv[i], "--play") == 0;
        if ((!record && !play) || i + 1 == argc || *mode != DemoMode::kNone) {
            std::fprintf(stderr, "flagrun: bad option '%s'\n", argv[i]);
            PrintUsage(stderr);
            return false;
        }
        *mode = record ? DemoMode::kRecord : DemoMode::kPlay;
        *path = argv[++i];
    }
    return true;
}

// One pass of the loop is one frame. The quit flag is tested only here, so
// the frame in which a quit request is seen still runs to its flip.
static int GameMain(int argc, char** argv) {
    DemoMode mode = DemoMode::kNone;
    const char* path = "";
    if (!ParseDemoOption(argc, argv, &mode, &path)) {
        return 2;
    }
    DemoSession session;
    const int refused = PrepareDemo(&session, mode, path);
    if (refused != 0) {
        return refused;
    }
    StartUp();
    int status = BeginDemo(&session);
    int quit = status;
    while (!quit) {
        DrainEvents(&quit);
        FrameInput input;
        if (!NextFrameInput(&session, &input)) {
            break;
        }
        RunFrame(input);
        FrameRan(&session, input);
    }
    if (status == 0) {
        status = EndDemo(&session);
    }
    ShutDown();
    return status;
}

int main(int argc, char** argv) {
    return GameMain(argc, argv);
}
