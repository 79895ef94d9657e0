// Fuzzing text drawing. An input is six numbers (a destination's width and
// height, 1 to 700, and depth, 8 to 32 bits; a position, anywhere in 32 bits;
// a glyph sheet's side, 16 to 271), then 256 advance widths, then the text.
#include "fuzz_input.h"

#include "view/text.h"

#include <cstring>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = Split({reinterpret_cast<const char*>(data), size}, 3);
    std::uint64_t knobs[6] = {};
    std::istringstream(parts[0]) >> knobs[0] >> knobs[1] >> knobs[2] >> knobs[3] >> knobs[4] >>
        knobs[5];
    std::int32_t widths[256] = {};
    for (std::size_t c = 0; c < 256 && c < parts[1].size(); ++c) {
        widths[c] = static_cast<std::uint8_t>(parts[1][c]);
    }
    const int side = 16 + static_cast<int>(knobs[5] % 256);
    Font font = {.size = side, .cellSize = side / 16, .widths = widths};
    font.surface = SDL_CreateRGBSurface(SDL_SWSURFACE | SDL_SRCALPHA, side, side, 32, 0x000000FF,
                                        0x0000FF00, 0x00FF0000, 0xFF000000);
    SDL_Surface* destination = SDL_CreateRGBSurface(
        SDL_SWSURFACE, static_cast<int>(1 + knobs[0] % 700), static_cast<int>(1 + knobs[1] % 700),
        static_cast<int>(8 + 8 * (knobs[2] % 4)), 0, 0, 0, 0);
    Require(font.surface != nullptr && destination != nullptr);
    SDL_FillRect(font.surface, nullptr, 0x80FFFFFF);
    const char* text = parts[2].c_str();
    DrawText(destination, &font, static_cast<std::int32_t>(knobs[3]),
             static_cast<std::int32_t>(knobs[4]), "%s", text);
    // The text ends at its first NUL, as a C string does; at most 1023 bytes count.
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < std::strlen(text) && i < 1023; ++i) {
        sum += widths[static_cast<std::uint8_t>(text[i])];
    }
    Require(MeasureText(&font, "%s", text) == sum);
    SDL_FreeSurface(font.surface);
    SDL_FreeSurface(destination);
    return 0;
}
