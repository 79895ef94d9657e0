// Start-up in its fixed order, and shutdown.
#include "app/startup.h"

#include "app/frame.h"
#include "app/present.h"
#include "rules/geometry.h"
#include "view/bmp_check.h"
#include "view/font.h"
#include "view/images.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

// The loop keeps its own pace (app/pacing.h); flips synchronised with the
// display's refresh only keep the picture from tearing. The environment
// may override.
static void RequestVsync() {
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
}

// The icon goes through the same header check as the sprites: a file that
// declares more pixels than it holds would have SDL allocate for them first.
// A refused or missing icon leaves the window without one.
static void SetIcon() {
    const char* path = "bluedr.bmp";
    SDL_Surface* icon =
        CheckBmpHeader(path) ? SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1) : nullptr;
    SDL_WM_SetIcon(icon, nullptr);
}

// A missing sprite just does not appear, but a missing font is a broken
// installation: every frame draws text with it.
static Font* RequireFont(Font* font, const char* directory) {
    if (font == nullptr) {
        std::printf("Unable to load font from %s\n", directory);
        std::exit(1);
    }
    return font;
}

void StartUp(const WindowOptions& window, const SoundOptions& sound) {
    RequestNearestScaling();
    GlProbe probe = StartRendererChoice();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to init SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    std::atexit(SDL_Quit);
    RefuseInvisibleRun();
    SetIcon();
    RequestVsync();
    ChooseWindowScale(window);
    ChooseRenderer(&probe);
    screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, kScreenDepth, VideoModeFlags(window));
    if (screen == nullptr) {
        // The message names 640x480, the playfield, though the window is
        // 640x530: the text is the game's own and stays as it is.
        std::printf("Unable to set 640x480 video: %s\n", SDL_GetError());
        std::exit(1);
    }
    StartPresenting();
    LoadImages();
    DrawBackground();
    SetStartValues(game);
    plainFont = RequireFont(LoadWhiteFont("data/font1"), "data/font1");
    hudFont = RequireFont(LoadTintedFont("data/font2", 1.0f, 1.0f, 0.0f), "data/font2");
    StartSound(sound);
}

void ShutDown() {
    StopSound();
    StopPresenting();
    FreeFont(plainFont);
    FreeFont(hudFont);
    plainFont = nullptr;
    hudFont = nullptr;
}
