// The image set, its loading and the blit operations.
#include "draw/images.h"

#include "draw/sprite_table.h"

ImageSet images;
SDL_Surface* screen = nullptr;

// Opens the file and hands the stream straight to the BMP loader, which
// closes it. A missing or unreadable file gives a null slot.
static SDL_Surface* LoadImage(const char* path) {
    return SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1);
}

void LoadImages() {
    for (const SpriteSlot& sprite : kSpriteSlots) {
        images.*sprite.slot = LoadImage(sprite.file);
    }
}

void DrawImage(SDL_Surface* source, std::int32_t x, std::int32_t y) {
    // Only the position is set: the blit takes the size from the source,
    // clips, and writes the clipped rectangle back into this local.
    SDL_Rect destination;
    destination.x = Narrow16(x);
    destination.y = Narrow16(y);
    SDL_UpperBlit(source, nullptr, screen, &destination);
}

void DrawImageRegion(SDL_Surface* source, std::int32_t dx, std::int32_t dy, std::int32_t w,
                     std::int32_t h, std::int32_t sx, std::int32_t sy) {
    BlitRegion(screen, source, dx, dy, w, h, sx, sy);
}

void BlitRegion(SDL_Surface* destination, SDL_Surface* source, std::int32_t dx, std::int32_t dy,
                std::int32_t w, std::int32_t h, std::int32_t sx, std::int32_t sy) {
    SDL_Rect from;
    from.x = Narrow16(sx);
    from.y = Narrow16(sy);
    from.w = NarrowU16(w);
    from.h = NarrowU16(h);
    SDL_Rect to;
    to.x = Narrow16(dx);
    to.y = Narrow16(dy);
    SDL_UpperBlit(source, &from, destination, &to);
}

void DrawBackground() {
    DrawImage(images.background, 0, 0);
}
