// Showing the drawn frame. Where SDL's own renderer would show it (OpenGL
// drawn by the CPU, or forced), the game scales the frame itself straight
// into shared memory and hands it to the X server: one pass over the
// window's pixels instead of SDL's clear, per-pixel scaling and format
// conversion. Everywhere else, and whenever the window is not an exact
// whole multiple of 640x530 (full screen, a window manager's own size), SDL
// flips as before.
#pragma once

#include <SDL.h>

// After the video mode is set: takes the X window through SDL_GetWMInfo and
// sets up a shared-memory image, where the display is local and speaks
// MIT-SHM, SDL's renderer is the software one, the scaling asked for is
// nearest-neighbour, the pixel formats agree, and FLAGRUN_PRESENTER is not
// "sdl". Otherwise, or on any error, SDL keeps flipping.
void StartPresenting();

// Shows the screen: scaled into the window by the game where it can, with
// SDL_Flip otherwise.
void PresentFrame();

// Frees the shared image.
void StopPresenting();

// Nearest-neighbour by a whole number, 32-bit pixels: `to` holds
// from's width and height times `scale`, each row `toPitch` bytes apart.
void ScaleNearest(const SDL_Surface* from, void* to, int toPitch, int scale);
