// The generated sprites and fonts, read in the run directory, and their generation.
#include "sdl_fixture.h"

namespace {

// An opaque 24-bit image of w x h pixels (under -w x -h where negative), with ink (non-black
// pixels) only `margin` pixels or more inside its edges, mostly blue or red for its side.
struct Sprite {
    const char* path;
    int w, h, margin;
    char side; // 'b' blue, 'r' red, 0 either
};
const Sprite kSprites[] = {
    {.path = "Graphics/bg.bmp", .w = 640, .h = 530, .margin = 0, .side = 0},
    {.path = "bluedr.bmp", .w = 32, .h = 32, .margin = 2, .side = 'b'},
    {.path = "Graphics/bluedr.bmp", .w = 32, .h = 32, .margin = 2, .side = 'b'},
    {.path = "Graphics/redtl.bmp", .w = 32, .h = 32, .margin = 2, .side = 'r'},
    {.path = "Graphics/flagr.bmp", .w = -33, .h = -33, .margin = 2, .side = 'r'},
    {.path = "Graphics/flagb.bmp", .w = -33, .h = -33, .margin = 1, .side = 'b'},
    {.path = "Graphics/lazer1.bmp", .w = -12, .h = -12, .margin = 3, .side = 0},
    {.path = "Graphics/lazer2.bmp", .w = -12, .h = -12, .margin = 3, .side = 0},
    {.path = "Graphics/grenade1.bmp", .w = -17, .h = -17, .margin = 2, .side = 0},
    {.path = "Graphics/bluedr-dead.bmp", .w = 32, .h = 32, .margin = 1, .side = 'b'},
    {.path = "Graphics/reddr-dead.bmp", .w = 32, .h = 32, .margin = 1, .side = 'r'},
    {.path = "Graphics/explosion1.bmp", .w = 32, .h = 32, .margin = 1, .side = 0},
    {.path = "Graphics/roadblock.bmp", .w = -65, .h = -41, .margin = 1, .side = 0},
    {.path = "Graphics/black.bmp", .w = 199, .h = 86, .margin = 0, .side = 0},
    {.path = "Graphics/black2.bmp", .w = 124, .h = 18, .margin = 0, .side = 0},
};

TEST(Assets, SpritesAreOpaque24BitSizedAndInkedInsideTheirMargins) {
    for (const Sprite& sprite : kSprites) {
        SCOPED_TRACE(sprite.path);
        SDL_Surface* s = SDL_LoadBMP(sprite.path);
        ASSERT_NE(s, nullptr) << SDL_GetError();
        EXPECT_EQ(s->format->BitsPerPixel, 24);
        EXPECT_EQ(s->format->Amask, 0u);
        EXPECT_TRUE(sprite.w > 0 ? s->w == sprite.w : s->w < -sprite.w) << s->w;
        EXPECT_TRUE(sprite.h > 0 ? s->h == sprite.h : s->h < -sprite.h) << s->h;
        int ink = 0;
        int redder = 0;
        for (int y = 0; y < s->h; ++y) {
            for (int x = 0; x < s->w; ++x) {
                const auto* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 3;
                const bool inside = std::min({x, y, s->w - 1 - x, s->h - 1 - y}) >= sprite.margin;
                const bool inked = p[0] != 0 || p[1] != 0 || p[2] != 0; // blue, green, red
                EXPECT_TRUE(inside || !inked) << x << ", " << y;
                ink += inked;
                redder += p[2] > p[0] ? 1 : (p[2] < p[0] ? -1 : 0);
            }
        }
        EXPECT_GT(ink, 0);
        EXPECT_TRUE(sprite.side == 0 || (redder > 0) == (sprite.side == 'r')) << redder;
        SDL_FreeSurface(s);
    }
}

// The generator run again writes the same bytes into every file.
TEST(Assets, GenerationIsDeterministic) {
    const ScratchDir again;
    const std::string command = "./flagrun-assetgen " + Quote(again.path) + " " + FLAGRUN_FONT_FILE;
    ASSERT_EQ(std::system(command.c_str()), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(again.path)) {
        if (entry.is_regular_file()) {
            files += 1;
            const std::filesystem::path name = entry.path().lexically_relative(again.path);
            EXPECT_TRUE(ReadFile(entry.path()) == ReadFile(name)) << name;
        }
    }
    EXPECT_GE(files, 14 + 6 + 6);
}

} // namespace
