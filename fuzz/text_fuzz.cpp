// Fuzzing text drawing: any bytes with any advance widths, from a glyph
// sheet of any side, onto surfaces of odd sizes and depths at any position.
#include "fuzz_input.h"

#include "view/font.h"
#include "view/images.h"
#include "view/text.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::abort();
    }
    screen = SDL_SetVideoMode(640, 530, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (screen == nullptr) {
        std::abort();
    }
    return 0;
}

// A sheet made as the loader makes one: RGBA bytes converted to the
// display format with alpha, the coverage a fixed pattern.
static SDL_Surface* NewSheet(int side) {
    std::vector<std::uint8_t> pixels(4 * static_cast<std::size_t>(side) * side);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = 255;
        pixels[i + 1] = 255;
        pixels[i + 3] = static_cast<std::uint8_t>(i * 7 / 4 + i / (4 * side) * 13);
    }
    SDL_Surface* wrapped = SDL_CreateRGBSurfaceFrom(pixels.data(), side, side, 32, 4 * side,
                                                    0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    SDL_Surface* sheet = wrapped != nullptr ? SDL_DisplayFormatAlpha(wrapped) : nullptr;
    SDL_FreeSurface(wrapped);
    return sheet;
}

// Sheets are made once for each side and kept: making one costs far more
// than drawing a text with it.
static constexpr int kMinSide = 16;
static constexpr int kSideCount = 256;
static SDL_Surface* sheets[kSideCount];

static SDL_Surface* Sheet(int side) {
    SDL_Surface*& sheet = sheets[side - kMinSide];
    if (sheet == nullptr) {
        sheet = NewSheet(side);
    }
    return sheet;
}

// Destinations up to a little larger than the window.
static constexpr std::uint32_t kMaxSurfaceSide = 700;

static int Depth(std::uint8_t choice) {
    static constexpr int kDepths[] = {8, 16, 24, 32};
    return kDepths[choice % 4];
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TextInput input = UnpackTextInput({.data = data, .size = size});
    const int side = kMinSide + static_cast<int>(input.side % kSideCount);
    Font font;
    font.size = side;
    font.cellSize = side / 16;
    font.surface = Sheet(side);
    font.widths = new std::int32_t[256];
    for (int c = 0; c < 256; ++c) {
        font.widths[c] = static_cast<std::uint8_t>(input.widths[c]);
    }
    SDL_Surface* destination = SDL_CreateRGBSurface(
        SDL_SWSURFACE, 1 + static_cast<int>(input.width % kMaxSurfaceSide),
        1 + static_cast<int>(input.height % kMaxSurfaceSide), Depth(input.depth), 0, 0, 0, 0);
    if (font.surface == nullptr || destination == nullptr) {
        std::abort();
    }
    // The text ends at its first NUL, as a C string does; at most 1023 bytes count.
    const std::string text = input.text.substr(0, std::strlen(input.text.c_str()));
    DrawText(destination, &font, input.x, input.y, "%s", text.c_str());
    std::int32_t expected = 0;
    for (std::size_t i = 0; i < text.size() && i < 1023; ++i) {
        expected += font.widths[static_cast<std::uint8_t>(text[i])];
    }
    if (MeasureText(&font, "%s", text.c_str()) != expected) {
        std::abort();
    }
    SDL_FreeSurface(destination);
    delete[] font.widths;
    return 0;
}
