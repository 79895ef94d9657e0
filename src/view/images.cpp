// The image set, its loading and the blit operations.
#include "view/images.h"

#include "view/bmp_check.h"
#include "view/drawn_areas.h"
#include "view/sprite_table.h"

ImageSet images;
SDL_Surface* screen = nullptr;

// The image in the screen's own pixel format, `extra` columns wider; the
// colours are those a blit of the loaded image puts on the screen, and
// neither a colour key nor alpha is set, so a blit stays an opaque copy.
// Without a screen, or memory, the image stays as loaded: it draws the same.
static SDL_Surface* ConvertToScreenFormat(SDL_Surface* loaded, int extra) {
    if (loaded == nullptr || screen == nullptr) {
        return loaded;
    }
    const SDL_PixelFormat* format = screen->format;
    SDL_Surface* converted =
        SDL_CreateRGBSurface(SDL_SWSURFACE, loaded->w + extra, loaded->h, format->BitsPerPixel,
                             format->Rmask, format->Gmask, format->Bmask, format->Amask);
    if (converted == nullptr) {
        return loaded;
    }
    SDL_BlitSurface(loaded, nullptr, converted, nullptr);
    SDL_FreeSurface(loaded);
    return converted;
}

// The sprite files are 24-bit and the screen is 32-bit, so every blit of a
// loaded image converts each pixel, about half a nanosecond apiece. An
// image in the screen's format is copied row by row instead, but SDL copies
// rows that are an even number of 32-bit pixels with streaming stores,
// which cost far more than converting where the rows do not start on a
// cache line (docs/performance.md). So the images with odd rows (the HUD and
// countdown panels, the lasers) are kept in the screen's format, and so is
// the background, one column wider when its rows are even: it is drawn only
// at its own place, and its extra column, right of the window, never shows.
// The others stay as loaded.
static SDL_Surface* ConvertForPlainCopies(SDL_Surface* loaded, bool background) {
    if (loaded == nullptr || screen == nullptr) {
        return loaded;
    }
    if (loaded->w % 2 == 1) {
        return ConvertToScreenFormat(loaded, 0);
    }
    if (background && loaded->w >= screen->w) {
        return ConvertToScreenFormat(loaded, 1);
    }
    return loaded;
}

// Opens the file and hands the stream straight to the BMP loader, which
// closes it. A missing or unreadable file gives a null slot, and so does
// one whose header declares more pixels than it could hold.
static SDL_Surface* LoadImage(const char* path) {
    return CheckBmpHeader(path) ? SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1) : nullptr;
}

void LoadImages() {
    for (const SpriteSlot& sprite : kSpriteSlots) {
        const bool background = sprite.slot == &ImageSet::background;
        images.*sprite.slot = ConvertForPlainCopies(LoadImage(sprite.file), background);
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
    if (destination == screen && !inPlace) {
        NoteDrawn(to);
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
