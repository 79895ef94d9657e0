// Copies a painted image into a 24-bit SDL surface and has SDL save it.
#include "bmp_writer.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// Each pixel's bytes in memory are blue, green, red: the order a 24-bit BMP
// stores, so SDL writes the rows without converting them.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
constexpr Uint32 kRedMask = 0x00FF0000u;
constexpr Uint32 kBlueMask = 0x000000FFu;
#else
constexpr Uint32 kRedMask = 0x000000FFu;
constexpr Uint32 kBlueMask = 0x00FF0000u;
#endif
constexpr Uint32 kGreenMask = 0x0000FF00u;

void CopyPixels(SDL_Surface* surface, const Image& image) {
    auto* pixels = static_cast<Uint8*>(surface->pixels);
    for (int y = 0; y < image.height; ++y) {
        Uint8* row = pixels + static_cast<std::ptrdiff_t>(y) * surface->pitch;
        for (int x = 0; x < image.width; ++x) {
            const Rgb colour = PixelAt(image, x, y);
            row[x * 3] = colour.b;
            row[x * 3 + 1] = colour.g;
            row[x * 3 + 2] = colour.r;
        }
    }
}

} // namespace

bool WriteBmp(const std::string& path, const Image& image) {
    const SurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, image.width, image.height, 24,
                                                  kRedMask, kGreenMask, kBlueMask, 0),
                             &SDL_FreeSurface);
    if (surface == nullptr) {
        std::fprintf(stderr, "flagrun-assetgen: cannot make a surface for %s: %s\n", path.c_str(),
                     SDL_GetError());
        return false;
    }
    CopyPixels(surface.get(), image);
    if (SDL_SaveBMP(surface.get(), path.c_str()) != 0) {
        std::fprintf(stderr, "flagrun-assetgen: cannot write %s: %s\n", path.c_str(),
                     SDL_GetError());
        return false;
    }
    return true;
}
