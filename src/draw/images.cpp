// The image set, its loading and the blit operations.
#include "draw/images.h"

#include "draw/bmp_check.h"

ImageSet images;
SDL_Surface* screen = nullptr;

// Opens the file and hands the stream straight to the BMP loader, which
// closes it. A missing or unreadable file gives a null slot, and so does
// one whose header declares more pixels than it could hold.
static SDL_Surface* LoadImage(const char* path) {
    return CheckBmpHeader(path) ? SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1) : nullptr;
}

void LoadImages() {
    images.background = LoadImage("Graphics/bg.bmp");
    images.player1Body = LoadImage("Graphics/bluedr.bmp");
    images.player2Body = LoadImage("Graphics/bluedr.bmp");
    images.enemy1Body = LoadImage("Graphics/redtl.bmp");
    images.enemy2Body = LoadImage("Graphics/redtl.bmp");
    images.blueFlag = LoadImage("Graphics/flagb.bmp");
    images.redFlag = LoadImage("Graphics/flagr.bmp");
    images.player1Laser = LoadImage("Graphics/lazer1.bmp");
    images.player2Laser = LoadImage("Graphics/lazer1.bmp");
    images.enemy1Laser = LoadImage("Graphics/lazer2.bmp");
    images.enemy2Laser = LoadImage("Graphics/lazer2.bmp");
    images.player1Corpse = LoadImage("Graphics/bluedr-dead.bmp");
    images.player2Corpse = LoadImage("Graphics/bluedr-dead.bmp");
    images.enemy1Wreck = LoadImage("Graphics/reddr-dead.bmp");
    images.enemy2Wreck = LoadImage("Graphics/reddr-dead.bmp");
    images.roadblock = LoadImage("Graphics/roadblock.bmp");
    images.player1Grenade = LoadImage("Graphics/grenade1.bmp");
    images.player2Grenade = LoadImage("Graphics/grenade1.bmp");
    images.player1Blast = LoadImage("Graphics/explosion1.bmp");
    images.player2Blast = LoadImage("Graphics/explosion1.bmp");
    images.hudEraser = LoadImage("Graphics/black.bmp");
    images.countdownEraser = LoadImage("Graphics/black.bmp");
    images.player1TagEraser = LoadImage("Graphics/black2.bmp");
    images.player2TagEraser = LoadImage("Graphics/black2.bmp");
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
