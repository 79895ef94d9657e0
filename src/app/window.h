// The game's window on the desktop: the display check, the integer scale,
// full screen. The game's own surface stays 640x530 whatever the window.
#pragma once

#include "app/gl_probe.h"
#include "rules/geometry.h"

#include <SDL.h>

inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 8;

struct WindowOptions {
    int scale = 0;                // 0: the largest that fits the desktop (ChooseScale)
    bool environmentWins = false; // a scale from the settings file gives way to the environment's
    bool fullscreen = false;
};

// The largest s with 640 s and 530 s each at most nine tenths of the
// desktop's width and height, and at least 1.
int ChooseScale(int desktopWidth, int desktopHeight);

// True for SDL's video drivers that show no window at all.
bool ShowsNothing(const char* driverName);

// SDL picks a driver that shows nothing when no display can be reached; a
// game that nobody sees must not run. Unless SDL_VIDEODRIVER asked for such
// a driver, prints why on standard output and ends with status 1.
void RefuseInvisibleRun();

// Whether an environment variable is set and not empty; whether it holds
// exactly `expected`.
bool EnvironmentSet(const char* name);
bool EnvironmentIs(const char* name, const char* expected);

// Chooses how SDL presents the frames: StartRendererChoice before SDL_Init,
// ChooseRenderer with its probe before SDL_SetVideoMode. Where OpenGL is
// drawn by the CPU (or cannot be had), SDL's own renderer, which hands the
// picture to X through shared memory, costs the game a fraction of what
// OpenGL's texture, scaling and swap cost it there; where a GPU draws,
// OpenGL costs the CPU next to nothing and is kept. A choice in the
// environment wins: SDL_RENDER_DRIVER=software is completed with
// SDL_FRAMEBUFFER_ACCELERATION=0, its cheap half, and any other renderer,
// or SDL_FRAMEBUFFER_ACCELERATION set at all, is left as it is.
GlProbe StartRendererChoice();
void ChooseRenderer(GlProbe* probe);

// Asks SDL 1.2's compatibility layer for nearest-neighbour scaling, so that
// every game pixel becomes an exact block. The layer reads the method in
// SDL_Init: call before it. A method set in the environment wins.
void RequestNearestScaling();

// Picks the window's scale for the compatibility layer, which reads it when
// the video mode is set, while the desktop's size can only be read before:
// call after SDL_Init and before SDL_SetVideoMode. A scale from the command
// line wins over the environment, which wins over the settings file's and
// then the desktop's choice.
void ChooseWindowScale(const WindowOptions& options);

// The flags of the game's video mode.
Uint32 VideoModeFlags(const WindowOptions& options);

// Between the window and full screen, during play; gives whether the game
// is now full-screen.
bool ToggleFullScreen();
