// printf-style text, drawn one glyph cell at a time.
#include "view/text.h"

#include "rules/arith.h"
#include "view/images.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

static constexpr int kTextSize = 1024;

// Formats into the caller's buffer; text that does not fit is cut at 1023
// characters, and a format that fails leaves the text empty.
__attribute__((format(printf, 2, 0))) static std::size_t
FormatText(char (&text)[kTextSize], const char* format, std::va_list args) {
    if (std::vsnprintf(text, sizeof text, format, args) < 0) {
        text[0] = '\0';
    }
    return std::strlen(text);
}

// The cut starts width / 2 left of the cell's middle column and is two
// pixels wider than the advance, so the next glyph overdraws those columns.
static void DrawGlyph(SDL_Surface* destination, const Font* font, std::int32_t x, std::int32_t y,
                      std::uint8_t code) {
    const std::int32_t cell = font->cellSize;
    const std::int32_t width = font->widths[code];
    const std::int32_t sourceX = (code % 16) * cell + cell / 2 - width / 2;
    const std::int32_t sourceY = (code / 16) * cell;
    BlitRegion(destination, font->surface, x, y, width + 2, cell, sourceX, sourceY);
}

void DrawText(SDL_Surface* destination, const Font* font, std::int32_t x, std::int32_t y,
              const char* format, ...) {
    char text[kTextSize];
    std::va_list args;
    va_start(args, format);
    const std::size_t length = FormatText(text, format, args);
    va_end(args);
    std::int32_t pen = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const auto code = static_cast<std::uint8_t>(text[i]);
        // Only the low 16 bits of the position reach the blit, so a far-off
        // x may wrap but must not overflow.
        DrawGlyph(destination, font, WrapAdd(x, pen), y, code);
        pen += font->widths[code];
    }
}

std::int32_t MeasureText(const Font* font, const char* format, ...) {
    char text[kTextSize];
    std::va_list args;
    va_start(args, format);
    const std::size_t length = FormatText(text, format, args);
    va_end(args);
    std::int32_t total = 0;
    for (std::size_t i = 0; i < length; ++i) {
        total += font->widths[static_cast<std::uint8_t>(text[i])];
    }
    return total;
}
