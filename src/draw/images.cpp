// The image set, its loading and the blit operations.
#include "draw/images.h"

#include "draw/erase.h"
#include "draw/sprite_table.h"

ImageSet images;
SDL_Surface* screen = nullptr;

// The sprite files are opaque 24-bit images and the screen is 32-bit, so a
// blit straight from the file's format converts every pixel of every
// frame, most of a frame's own work. Each image is put into the display's
// format once instead: the same colours, no colour key and no alpha, so a
// blit stays an opaque copy of its rectangle, now row by row. Without a
// display to take the format from, the image stays as loaded and draws the
// same.
static SDL_Surface* InDisplayFormat(SDL_Surface* loaded) {
    if (loaded == nullptr) {
        return nullptr;
    }
    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    if (converted == nullptr) {
        return loaded;
    }
    SDL_FreeSurface(loaded);
    return converted;
}

// Opens the file and hands the stream straight to the BMP loader, which
// closes it. A missing or unreadable file gives a null slot.
static SDL_Surface* LoadImage(const char* path) {
    return InDisplayFormat(SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1));
}

void LoadImages() {
    for (const SpriteSlot& sprite : kSpriteSlots) {
        images.*sprite.slot = LoadImage(sprite.file);
    }
}

// The background copied onto its own place: the screen there is background
// again, whatever clipping cuts off (it cuts source and destination alike).
static bool BackgroundInPlace(const SDL_Surface* source, const SDL_Rect* from, Sint16 x, Sint16 y) {
    if (source != images.background) {
        return false;
    }
    const Sint16 sourceX = from != nullptr ? from->x : 0;
    const Sint16 sourceY = from != nullptr ? from->y : 0;
    return x == sourceX && y == sourceY;
}

// Every blit ends here. The destination rectangle carries only a position:
// the blit takes the size from the source, clips, and writes the clipped
// rectangle back; that is what the next frame's erase puts the background
// back under. The blit's result is not looked at: a failed blit leaves the
// size 0 and covers nothing.
static void Blit(SDL_Surface* destination, SDL_Surface* source, SDL_Rect* from, Sint16 x,
                 Sint16 y) {
    SDL_Rect to = {x, y, 0, 0};
    const bool inPlace = BackgroundInPlace(source, from, x, y);
    SDL_UpperBlit(source, from, destination, &to);
    if (!inPlace) {
        NoteDrawn(destination, to);
    }
}

void DrawImage(SDL_Surface* source, std::int32_t x, std::int32_t y) {
    Blit(screen, source, nullptr, Narrow16(x), Narrow16(y));
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
    Blit(destination, source, &from, Narrow16(dx), Narrow16(dy));
}

void DrawBackground() {
    DrawImage(images.background, 0, 0);
    ForgetDrawn();
}
