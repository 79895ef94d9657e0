// The game's window on the desktop: the display check, the integer scale,
// full screen. The game's own surface stays 640x530 whatever the window.
#pragma once

#include "rules/geometry.h"

#include <SDL.h>

inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 8;

struct WindowOptions {
    int scale = 0; // 0: the largest that fits the desktop (ChooseScale)
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

// Asks SDL 1.2's compatibility layer for nearest-neighbour scaling, so that
// every game pixel becomes an exact block. The layer reads the method in
// SDL_Init: call before it. A method set in the environment wins.
void RequestNearestScaling();

// Picks the window's scale for the compatibility layer, which reads it when
// the video mode is set, while the desktop's size can only be read before:
// call after SDL_Init and before SDL_SetVideoMode. A scale from the command
// line wins over the environment, which wins over the desktop's choice.
void ChooseWindowScale(const WindowOptions& options);

// The flags of the game's video mode.
Uint32 VideoModeFlags(const WindowOptions& options);

// Between the window and full screen, during play.
void ToggleFullScreen();
