// printf-style text drawn glyph by glyph from a bitmap font.
#pragma once

#include "view/font.h"

#include <SDL.h>

#include <cstdint>

// Draws the formatted text with the top-left corner of its first glyph at
// (x, y). Text longer than 1023 characters is cut there.
void DrawText(SDL_Surface* destination, const Font* font, std::int32_t x, std::int32_t y,
              const char* format, ...) __attribute__((format(printf, 5, 6)));

// The sum of the advance widths of the formatted text.
std::int32_t MeasureText(const Font* font, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
