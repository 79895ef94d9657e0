// The generated sprites, icon and fonts, read in the run directory.
#include "font/text.h"
#include "sdl_fixture.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// w, h > 0: the exact size; < 0: the size is under -w, -h. Ink (non-black pixels) lies only in
// [margin, min(size - margin, inkEnd)) on both axes, and there is some unless inkEnd is 0.
struct Sprite {
    const char* path;
    int w, h, margin, inkEnd = 1000;
};
const Sprite kSprites[] = {
    {"Graphics/bg.bmp", 640, 530, 0, 130},       {"bluedr.bmp", 32, 32, 2},
    {"Graphics/bluedr.bmp", 32, 32, 2},          {"Graphics/redtl.bmp", 32, 32, 2},
    {"Graphics/flagr.bmp", -33, -33, 2},         {"Graphics/flagb.bmp", -33, -33, 1},
    {"Graphics/lazer1.bmp", -12, -12, 3},        {"Graphics/lazer2.bmp", -12, -12, 3},
    {"Graphics/grenade1.bmp", -17, -17, 2},      {"Graphics/bluedr-dead.bmp", 32, 32, 1},
    {"Graphics/reddr-dead.bmp", 32, 32, 1},      {"Graphics/explosion1.bmp", 32, 32, 1},
    {"Graphics/roadblock.bmp", -65, -41, 1},     {"Graphics/black.bmp", -1000, -1000, 0, 0},
    {"Graphics/black2.bmp", -1000, -1000, 0, 0},
};

TEST(AssetSprites, AreOpaque24BitSizedAndInkedOnlyInsideTheirMargins) {
    for (const Sprite& sprite : kSprites) {
        SCOPED_TRACE(sprite.path);
        SurfacePtr s(SDL_LoadBMP(sprite.path), &SDL_FreeSurface);
        ASSERT_NE(s, nullptr) << SDL_GetError();
        ASSERT_EQ(s->format->BitsPerPixel, 24);
        EXPECT_EQ(s->format->Amask, 0u);
        EXPECT_TRUE(sprite.w > 0 ? s->w == sprite.w : s->w < -sprite.w) << s->w;
        EXPECT_TRUE(sprite.h > 0 ? s->h == sprite.h : s->h < -sprite.h) << s->h;
        const int m = sprite.margin, endX = std::min(s->w - m, sprite.inkEnd),
                  endY = std::min(s->h - m, sprite.inkEnd);
        int ink = 0;
        for (int i = 0; i < s->w * s->h; ++i) {
            const int x = i % s->w, y = i / s->w;
            const auto* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 3;
            const bool inked = (p[0] | p[1] | p[2]) != 0;
            ink += inked;
            EXPECT_TRUE(!inked || (x >= m && y >= m && x < endX && y < endY)) << x << ", " << y;
        }
        EXPECT_EQ(ink > 0, sprite.inkEnd > 0);
    }
}

// The desktop icons: one PNG per size, decoded by libpng. The icon is laid out on 64 units: the
// droid's body centre at (24, 37), the flag's cloth around (50, 14); the corners stay clear.
struct IconCase {
    const char* name;
    int size;
};
const IconCase kIcons[] = {
    {.name = "smallest menu icon", .size = 16}, {.name = "panel icon", .size = 32},
    {.name = "launcher icon", .size = 48},      {.name = "desktop icon", .size = 64},
    {.name = "large icon", .size = 128},        {.name = "software centre icon", .size = 256},
};

struct IconPixel {
    Uint8 r, g, b, a;
};

std::vector<IconPixel> ReadIcon(int size, png_image& png) {
    const std::string path = "icons/flagrun-" + std::to_string(size) + ".png";
    png = png_image{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        ADD_FAILURE() << path << ": " << png.message;
        return {};
    }
    png.format = PNG_FORMAT_RGBA;
    std::vector<IconPixel> pixels(PNG_IMAGE_SIZE(png) / sizeof(IconPixel));
    EXPECT_NE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr), 0) << png.message;
    return pixels;
}

TEST(AssetIcons, AreSquareRgbaWithTheDroidLeftAndTheRedFlagRightOnAClearGround) {
    for (const IconCase& icon : kIcons) {
        SCOPED_TRACE(icon.name);
        png_image png;
        const std::vector<IconPixel> pixels = ReadIcon(icon.size, png);
        ASSERT_FALSE(pixels.empty());
        EXPECT_EQ(png.width, static_cast<png_uint_32>(icon.size));
        ASSERT_EQ(png.height, static_cast<png_uint_32>(icon.size));
        auto at = [&](float x, float y) {
            const int col = static_cast<int>(x * static_cast<float>(icon.size) / 64.0f);
            const int row = static_cast<int>(y * static_cast<float>(icon.size) / 64.0f);
            return pixels[static_cast<std::size_t>(row * icon.size + col)];
        };
        const IconPixel body = at(24.0f, 37.0f);
        EXPECT_EQ(body.a, 255);
        EXPECT_GT(body.b, body.r);
        const IconPixel cloth = at(50.0f, 14.0f);
        EXPECT_EQ(cloth.a, 255);
        EXPECT_GT(cloth.r, cloth.b);
        EXPECT_EQ(at(0.0f, 63.0f).a, 0);
        EXPECT_EQ(at(63.0f, 40.0f).a, 0);
        const bool allOpaqueOrClear = std::all_of(
            pixels.begin(), pixels.end(), [](IconPixel p) { return p.a == 0 || p.a == 255; });
        EXPECT_TRUE(allOpaqueOrClear);
    }
}

// Glyph c is cut from the 16-pixel cell c % 16, c / 16 of a 256-pixel sheet: width + 2
// columns from 8 - width / 2 into the cell, all 16 rows. Each rectangle stays in its cell;
// ink lies only in printable glyphs, inside their rectangles less the first two columns and rows.
TEST(AssetFonts, HaveTheSheetLayoutAndInkOnlyInsideGlyphRectangles) {
    for (const std::string dir : {"data/font1", "data/font2"}) {
        SCOPED_TRACE(dir);
        EXPECT_EQ(std::atoi(ReadFile(dir + "/font.ini").c_str()), 256);
        const std::string raw = ReadFile(dir + "/font.raw"), dat = ReadFile(dir + "/font.dat");
        ASSERT_EQ(raw.size(), 65536u);
        ASSERT_EQ(dat.size(), 256u);
        std::vector<int> ink(256, 0);
        for (int i = 0; i < 65536; ++i) {
            const int x = i % 256, y = i / 256, c = y / 16 * 16 + x / 16;
            const int w = static_cast<Uint8>(dat[c]), left = x / 16 * 16 + 8 - w / 2;
            const bool cellCorner = x % 16 == 0 && y % 16 == 0, inked = raw[i] != 0;
            EXPECT_TRUE(!cellCorner || (left >= x && left + w + 2 <= x + 16)) << "code " << c;
            ink[c] += inked;
            EXPECT_TRUE(!inked ||
                        (c >= 32 && c <= 126 && y % 16 >= 2 && x >= left + 2 && x < left + w + 2))
                << "ink of code " << c << " at (" << x << ", " << y << ")";
        }
        for (int c = 32; c <= 126; ++c) {
            EXPECT_TRUE(dat[c] != 0 && (c == 32 || ink[c] > 0)) << "code " << c;
        }
    }
}

// A HUD text touches its advance, as the game measures it, plus the 2 columns a glyph copies. An
// eraser e at (ex, ey) covers a text at (x, y) >= (ex, ey), 16 pixels high, with `spare` to spare.
using AssetHud = ScreenTest;

TEST_F(AssetHud, TextsFitTheirRoomAndErasersCoverThem) {
    const std::unique_ptr<Font, decltype(&FreeFont)> font(LoadTintedFont("data/font2", 1, 1, 0),
                                                          &FreeFont);
    const SurfacePtr black(SDL_LoadBMP("Graphics/black.bmp"), &SDL_FreeSurface);
    const SurfacePtr black2(SDL_LoadBMP("Graphics/black2.bmp"), &SDL_FreeSurface);
    ASSERT_TRUE(font && black && black2);
    auto span = [&](const std::string& t) { return MeasureText(font.get(), "%s", t.c_str()) + 2; };
    auto covers = [&](const SurfacePtr& e, int ex, int ey, int x, int y, const std::string& text,
                      int spare = 0) {
        return x + span(text) + spare <= ex + e->w && y + 16 + spare <= ey + e->h;
    };
    EXPECT_LE(1 + span("Player1 Exp:"), 110);
    EXPECT_LE(1 + span("Player2 Exp:"), 110);
    for (int n = 0; n <= 100; ++n) {
        EXPECT_LE(300 + span("New game in " + std::to_string(n)), 410) << n;
    }
    EXPECT_LE(span("Bty:"), 32);
    EXPECT_LE(1 + black->w, 300); // at (1, 430) it leaves x 300 alone
    EXPECT_TRUE(covers(black, 1, 430, 1, 480, "Player1 Exp:"));
    EXPECT_TRUE(covers(black, 1, 430, 1, 500, "Player2 Exp:"));
    EXPECT_TRUE(covers(black, 300, 440, 300, 440, "New game in 100"));
    EXPECT_TRUE(covers(black, 300, 440, 410, 440, "seconds"));
    EXPECT_TRUE(covers(black2, 0, 32, 0, 32, "Bty:", 2));
    for (char d = '0'; d <= '9'; ++d) { // 11-character values of every digit
        const std::string value = "-" + std::string(10, d);
        EXPECT_TRUE(covers(black, 1, 430, 110, 500, value)) << value;
        EXPECT_TRUE(covers(black2, 0, 32, 32, 32, value, 2)) << value;
    }
}

} // namespace
