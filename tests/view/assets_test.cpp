// The generated sprites, icon and fonts, read in the run directory.
#include "sdl_fixture.h"
#include "view/text.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// w, h > 0: the exact size; < 0: the size is under -w, -h. Ink (non-black pixels) lies only in
// [margin, size - margin) on both axes, and there is some.
struct Sprite {
    const char* path;
    int w, h, margin;
};
const Sprite kSprites[] = {
    {.path = "Graphics/bg.bmp", .w = 640, .h = 530, .margin = 0},
    {.path = "bluedr.bmp", .w = 32, .h = 32, .margin = 2},
    {.path = "Graphics/bluedr.bmp", .w = 32, .h = 32, .margin = 2},
    {.path = "Graphics/redtl.bmp", .w = 32, .h = 32, .margin = 2},
    {.path = "Graphics/flagr.bmp", .w = -33, .h = -33, .margin = 2},
    {.path = "Graphics/flagb.bmp", .w = -33, .h = -33, .margin = 1},
    {.path = "Graphics/lazer1.bmp", .w = -12, .h = -12, .margin = 3},
    {.path = "Graphics/lazer2.bmp", .w = -12, .h = -12, .margin = 3},
    {.path = "Graphics/grenade1.bmp", .w = -17, .h = -17, .margin = 2},
    {.path = "Graphics/bluedr-dead.bmp", .w = 32, .h = 32, .margin = 1},
    {.path = "Graphics/reddr-dead.bmp", .w = 32, .h = 32, .margin = 1},
    {.path = "Graphics/explosion1.bmp", .w = 32, .h = 32, .margin = 1},
    {.path = "Graphics/roadblock.bmp", .w = -65, .h = -41, .margin = 1},
    {.path = "Graphics/black.bmp", .w = 199, .h = 86, .margin = 0},
    {.path = "Graphics/black2.bmp", .w = 124, .h = 18, .margin = 0},
};

// A 24-bit surface's pixel as 0xRRGGBB (the file stores blue first).
Uint32 Pixel(const SDL_Surface* s, int x, int y) {
    const auto* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * 3;
    return p[0] | p[1] << 8 | p[2] << 16;
}

TEST(AssetSprites, AreOpaque24BitSizedAndInkedOnlyInsideTheirMargins) {
    for (const Sprite& sprite : kSprites) {
        SCOPED_TRACE(sprite.path);
        SurfacePtr s(SDL_LoadBMP(sprite.path), &SDL_FreeSurface);
        ASSERT_NE(s, nullptr) << SDL_GetError();
        ASSERT_EQ(s->format->BitsPerPixel, 24);
        EXPECT_EQ(s->format->Amask, 0u);
        EXPECT_TRUE(sprite.w > 0 ? s->w == sprite.w : s->w < -sprite.w) << s->w;
        EXPECT_TRUE(sprite.h > 0 ? s->h == sprite.h : s->h < -sprite.h) << s->h;
        const int m = sprite.margin, endX = s->w - m, endY = s->h - m;
        int ink = 0;
        for (int i = 0; i < s->w * s->h; ++i) {
            const int x = i % s->w, y = i / s->w;
            const bool inked = Pixel(s.get(), x, y) != 0;
            ink += inked;
            EXPECT_TRUE(!inked || (x >= m && y >= m && x < endX && y < endY)) << x << ", " << y;
        }
        EXPECT_GT(ink, 0);
    }
}

// The off-limits block fills exactly the corner that no player's sprite ever covers: a top-left
// corner stops at x 174 or y 149, so a 32-pixel sprite never reaches x >= 206 at y <= 148.
// Just outside that corner the floor is black, so the block's edge is where a body stops.
TEST(AssetBackground, BlockFillsTheCornerNoBodyCovers) {
    const SurfacePtr bg(SDL_LoadBMP("Graphics/bg.bmp"), &SDL_FreeSurface);
    ASSERT_NE(bg, nullptr);
    const int blockLeft = 174 + 32;
    const int blockBottom = 148;
    int holes = 0;
    for (int y = 0; y <= blockBottom; ++y) {
        for (int x = blockLeft; x < 640; ++x) {
            holes += Pixel(bg.get(), x, y) == 0;
        }
        EXPECT_EQ(Pixel(bg.get(), blockLeft - 1, y), 0u) << "floor left of the block, y " << y;
    }
    EXPECT_EQ(holes, 0);
    for (int x = blockLeft; x < 640; ++x) {
        EXPECT_EQ(Pixel(bg.get(), x, blockBottom + 1), 0u) << "floor below the block, x " << x;
    }
}

// Relative luminance of a 0xRRGGBB pixel, as the WCAG contrast ratio uses it.
double Luminance(Uint32 rgb) {
    auto linear = [](Uint32 c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb >> 16 & 0xFF) + 0.7152 * linear(rgb >> 8 & 0xFF) +
           0.0722 * linear(rgb & 0xFF);
}

// The HUD text is yellow and blended over the panel and the tags, so every pixel of them keeps
// at least the 4.5:1 contrast that normal text needs against pure yellow.
TEST(AssetHudArt, PlatesKeepTheYellowTextReadable) {
    const double yellow = Luminance(0xFFFF00);
    for (const char* path : {"Graphics/black.bmp", "Graphics/black2.bmp"}) {
        SCOPED_TRACE(path);
        const SurfacePtr plate(SDL_LoadBMP(path), &SDL_FreeSurface);
        ASSERT_NE(plate, nullptr);
        int glaring = 0;
        for (int y = 0; y < plate->h; ++y) {
            for (int x = 0; x < plate->w; ++x) {
                const double contrast =
                    (yellow + 0.05) / (Luminance(Pixel(plate.get(), x, y)) + 0.05);
                glaring += contrast < 4.5;
            }
        }
        EXPECT_EQ(glaring, 0);
    }
}

// The panel behind the second experience line (rows 70 to 85) repeats the rows behind the first
// (50 to 65), so equal values look alike. Its foot is open: at both places the panel is drawn,
// the background's frame carries its sides down from the HUD strip's rail and runs under it.
TEST(AssetHudArt, PanelLinesMatchAndTheBackgroundClosesItsFoot) {
    const SurfacePtr panel(SDL_LoadBMP("Graphics/black.bmp"), &SDL_FreeSurface);
    const SurfacePtr bg(SDL_LoadBMP("Graphics/bg.bmp"), &SDL_FreeSurface);
    ASSERT_TRUE(panel && bg);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < panel->w; ++x) {
            EXPECT_EQ(Pixel(panel.get(), x, 50 + y), Pixel(panel.get(), x, 70 + y))
                << x << "," << y;
        }
    }
    const Uint32 side = Pixel(panel.get(), 0, panel->h - 1);
    EXPECT_EQ(Pixel(panel.get(), panel->w - 1, panel->h - 1), side);
    struct Spot {
        const char* name;
        int x, y;
    };
    const Spot spots[] = {
        {.name = "under the experience lines", .x = 1, .y = 430},
        {.name = "under the countdown", .x = 300, .y = 440},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.name);
        const int foot = spot.y + panel->h;
        for (int x = spot.x; x < spot.x + panel->w; ++x) {
            EXPECT_EQ(Pixel(bg.get(), x, foot), side) << x;
        }
        for (int y = 480; y <= foot; ++y) {
            EXPECT_EQ(Pixel(bg.get(), spot.x, y), side) << y;
            EXPECT_EQ(Pixel(bg.get(), spot.x + panel->w - 1, y), side) << y;
        }
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
