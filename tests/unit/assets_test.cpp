// Checks the generated sprites, icons and HUD fonts against what the game
// needs of them: opaque 24-bit images, black erasing margins around every
// moving sprite, a black playfield outside the home base, erasers that
// cover the HUD texts, and glyph sheets in the layout the text drawing cuts.
//
// The tests run in the run directory, where the generator wrote the files.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

constexpr int kCell = 16;        // glyph cell side on a 256x256 sheet
constexpr int kSheet = 256;      // sheet side
constexpr int kEmptyLead = 2;    // empty leading columns and rows of a glyph
constexpr int kExtraColumns = 2; // columns copied past the advance

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(file);
    return bytes;
}

std::uint32_t Le(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
    return value;
}

std::uint32_t Be32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | bytes.at(at + i);
    return value;
}

SurfacePtr LoadBmp(const std::string& path) {
    return SurfacePtr(SDL_LoadBMP(path.c_str()), &SDL_FreeSurface);
}

bool IsBlackAt(SDL_Surface* surface, int x, int y) {
    const auto* p = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch +
                    x * surface->format->BytesPerPixel;
    std::uint32_t value = 0;
    for (int i = surface->format->BytesPerPixel - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return r == 0 && g == 0 && b == 0;
}

// Loads a generated BMP and checks that it is a plain 24-bit picture
// without compression or alpha, so the game's blits copy it opaquely.
SurfacePtr LoadOpaqueBmp(const std::string& path) {
    const std::vector<std::uint8_t> file = ReadFile(path);
    EXPECT_GE(file.size(), 54u) << path;
    if (file.size() < 54)
        return SurfacePtr(nullptr, &SDL_FreeSurface);
    EXPECT_EQ(file[0], 'B') << path;
    EXPECT_EQ(file[1], 'M') << path;
    EXPECT_EQ(Le(file, 28, 2), 24u) << path << ": bits per pixel";
    EXPECT_EQ(Le(file, 30, 4), 0u) << path << ": compression";
    SurfacePtr surface = LoadBmp(path);
    EXPECT_NE(surface, nullptr) << path << ": " << SDL_GetError();
    if (surface) {
        EXPECT_EQ(surface->format->BitsPerPixel, 24) << path;
        EXPECT_EQ(surface->format->Amask, 0u) << path;
    }
    return surface;
}

// --- Sprites --------------------------------------------------------------

struct SpriteSpec {
    const char* path;
    int maxWidth;
    int maxHeight;
    bool exactSize; // the maxima are the exact size
    int margin;     // pure black border on all four sides
};

// Moving sprites keep a margin as wide as their fastest step: bodies and
// the red flag 2, lasers 3, grenades 2. Still sprites keep at least 1.
const SpriteSpec kSprites[] = {
    {"bluedr.bmp", 32, 32, true, 2},
    {"Graphics/bluedr.bmp", 32, 32, true, 2},
    {"Graphics/redtl.bmp", 32, 32, true, 2},
    {"Graphics/flagr.bmp", 32, 32, false, 2},
    {"Graphics/flagb.bmp", 32, 32, false, 1},
    {"Graphics/lazer1.bmp", 11, 11, false, 3},
    {"Graphics/lazer2.bmp", 11, 11, false, 3},
    {"Graphics/grenade1.bmp", 16, 16, false, 2},
    {"Graphics/bluedr-dead.bmp", 32, 32, true, 1},
    {"Graphics/reddr-dead.bmp", 32, 32, true, 1},
    {"Graphics/explosion1.bmp", 32, 32, true, 1},
    {"Graphics/roadblock.bmp", 64, 40, false, 1},
};

// Names the sprite in failure messages instead of dumping its bytes.
void PrintTo(const SpriteSpec& spec, std::ostream* os) {
    *os << spec.path;
}

class AssetSprites : public ::testing::TestWithParam<SpriteSpec> {};

TEST_P(AssetSprites, IsOpaqueAndSized) {
    const SpriteSpec& spec = GetParam();
    SurfacePtr sprite = LoadOpaqueBmp(spec.path);
    ASSERT_NE(sprite, nullptr);
    if (spec.exactSize) {
        EXPECT_EQ(sprite->w, spec.maxWidth);
        EXPECT_EQ(sprite->h, spec.maxHeight);
    } else {
        EXPECT_LE(sprite->w, spec.maxWidth);
        EXPECT_LE(sprite->h, spec.maxHeight);
    }
}

TEST_P(AssetSprites, HasBlackMarginAroundInk) {
    const SpriteSpec& spec = GetParam();
    SurfacePtr sprite = LoadBmp(spec.path);
    ASSERT_NE(sprite, nullptr) << spec.path;
    const int m = spec.margin;
    int ink = 0;
    for (int y = 0; y < sprite->h; ++y) {
        for (int x = 0; x < sprite->w; ++x) {
            const bool border = x < m || y < m || x >= sprite->w - m || y >= sprite->h - m;
            const bool black = IsBlackAt(sprite.get(), x, y);
            if (border) {
                EXPECT_TRUE(black) << spec.path << " margin pixel (" << x << ", " << y << ")";
            } else if (!black) {
                ++ink;
            }
        }
    }
    // A sprite that came out blank would make a player or shot invisible.
    EXPECT_GT(ink, 0) << spec.path;
}

INSTANTIATE_TEST_SUITE_P(AllSprites, AssetSprites, ::testing::ValuesIn(kSprites));

TEST(AssetLasers, StayUnderTwelvePixels) {
    for (const char* path : {"Graphics/lazer1.bmp", "Graphics/lazer2.bmp"}) {
        SurfacePtr laser = LoadBmp(path);
        ASSERT_NE(laser, nullptr) << path;
        EXPECT_LT(laser->w, 12) << path;
        EXPECT_LT(laser->h, 12) << path;
    }
}

TEST(AssetBackground, IsBlackOutsideTheHomePatch) {
    SurfacePtr bg = LoadOpaqueBmp("Graphics/bg.bmp");
    ASSERT_NE(bg, nullptr);
    ASSERT_EQ(bg->w, 640);
    ASSERT_EQ(bg->h, 530); // the playfield and the HUD strip
    int stray = 0;
    int decoration = 0;
    for (int y = 0; y < bg->h; ++y) {
        for (int x = 0; x < bg->w; ++x) {
            const bool inPatch = x < 130 && y < 130;
            const bool black = IsBlackAt(bg.get(), x, y);
            if (!inPatch && !black)
                ++stray;
            if (inPatch && !black)
                ++decoration;
        }
    }
    EXPECT_EQ(stray, 0);
    EXPECT_GT(decoration, 0);
}

// --- Fonts ----------------------------------------------------------------

struct FontFiles {
    int side = 0;
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> widths;
};

FontFiles ReadFont(const std::string& dir) {
    FontFiles font;
    std::FILE* ini = std::fopen((dir + "/font.ini").c_str(), "rb");
    if (ini != nullptr) {
        if (std::fscanf(ini, "%d", &font.side) != 1)
            font.side = 0;
        std::fclose(ini);
    }
    font.raw = ReadFile(dir + "/font.raw");
    font.widths = ReadFile(dir + "/font.dat");
    return font;
}

// The HUD font, checked for well-formedness before any test measures text.
const FontFiles& HudFont() {
    static const FontFiles font = ReadFont("data/font2");
    return font;
}

int Width(const FontFiles& font, char c) {
    return font.widths.at(static_cast<unsigned char>(c));
}

int Advance(const FontFiles& font, const std::string& text) {
    int sum = 0;
    for (const char c : text)
        sum += Width(font, c);
    return sum;
}

// The rectangle the text drawing copies from the sheet for code c.
int SourceX(const FontFiles& font, int c) {
    return (c % 16) * kCell + kCell / 2 - font.widths.at(static_cast<std::size_t>(c)) / 2;
}

class AssetFonts : public ::testing::TestWithParam<const char*> {};

TEST_P(AssetFonts, FilesHaveTheSheetLayout) {
    const FontFiles font = ReadFont(GetParam());
    EXPECT_EQ(font.side, kSheet);
    EXPECT_EQ(font.raw.size(), static_cast<std::size_t>(kSheet * kSheet));
    EXPECT_EQ(font.widths.size(), 256u);
}

TEST_P(AssetFonts, PrintableGlyphsHaveWidthAndInk) {
    const FontFiles font = ReadFont(GetParam());
    ASSERT_EQ(font.raw.size(), static_cast<std::size_t>(kSheet * kSheet));
    ASSERT_EQ(font.widths.size(), 256u);
    for (int c = 33; c <= 126; ++c) {
        const int w = font.widths[static_cast<std::size_t>(c)];
        EXPECT_GT(w, 0) << "code " << c;
        int ink = 0;
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < w + kExtraColumns; ++x)
                ink += font.raw[static_cast<std::size_t>(((c / 16) * kCell + y) * kSheet +
                                                         SourceX(font, c) + x)] != 0;
        EXPECT_GT(ink, 0) << "code " << c << " has no ink";
    }
    EXPECT_GT(font.widths[' '], 0);
}

// Every inked pixel of the sheet must belong to exactly one glyph's ink
// area: columns 2 .. w+1 and rows 2 .. 15 of the rectangle cut for it. So
// no glyph copies ink into its first two columns or rows, none copies a
// neighbour's ink, and none loses ink outside what is copied.
TEST_P(AssetFonts, InkStaysInsideEachGlyphRectangle) {
    const FontFiles font = ReadFont(GetParam());
    ASSERT_EQ(font.raw.size(), static_cast<std::size_t>(kSheet * kSheet));
    ASSERT_EQ(font.widths.size(), 256u);
    std::vector<int> owner(static_cast<std::size_t>(kSheet * kSheet), -1);
    for (int c = 0; c < 256; ++c) {
        const int w = font.widths[static_cast<std::size_t>(c)];
        for (int y = (c / 16) * kCell + kEmptyLead; y < (c / 16 + 1) * kCell; ++y) {
            for (int x = SourceX(font, c) + kEmptyLead; x < SourceX(font, c) + w + 2; ++x) {
                if (x < 0 || x >= kSheet)
                    continue;
                int& cell = owner[static_cast<std::size_t>(y * kSheet + x)];
                EXPECT_EQ(cell, -1) << "ink areas of codes " << cell << " and " << c
                                    << " overlap at (" << x << ", " << y << ")";
                cell = c;
            }
        }
    }
    for (int y = 0; y < kSheet; ++y) {
        for (int x = 0; x < kSheet; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * kSheet + x);
            if (font.raw[i] != 0) {
                EXPECT_NE(owner[i], -1) << "stray ink at (" << x << ", " << y << ")";
            }
        }
    }
    // Each glyph's whole rectangle holds ink of that glyph only.
    for (int c = 0; c < 256; ++c) {
        const int w = font.widths[static_cast<std::size_t>(c)];
        for (int y = (c / 16) * kCell; y < (c / 16 + 1) * kCell; ++y) {
            for (int x = SourceX(font, c); x < SourceX(font, c) + w + kExtraColumns; ++x) {
                if (x < 0 || x >= kSheet)
                    continue;
                const std::size_t i = static_cast<std::size_t>(y * kSheet + x);
                if (font.raw[i] != 0) {
                    EXPECT_EQ(owner[i], c) << "code " << c << " copies foreign or lead ink at ("
                                           << x << ", " << y << ")";
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothFonts, AssetFonts, ::testing::Values("data/font1", "data/font2"));

// --- HUD layout -------------------------------------------------------------

struct Rect {
    int x;
    int y;
    int w;
    int h;
};

// The area a drawn text touches: its advance plus the two copied columns,
// a full cell high.
Rect TextRect(int x, int y, const std::string& text) {
    return Rect{x, y, Advance(HudFont(), text) + kExtraColumns, kCell};
}

bool Covers(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

// Printed 32-bit ints of the greatest length, among them every digit
// repeated, so the widest digit is always counted.
std::vector<std::string> LongestValues() {
    std::vector<std::string> values;
    for (const int v : {INT_MIN, INT_MAX, -1000000000, -1999999999})
        values.push_back(std::to_string(v));
    for (char d = '0'; d <= '9'; ++d)
        values.push_back("-1" + std::string(9, d));
    return values;
}

class AssetHudLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(HudFont().widths.size(), 256u);
        ASSERT_EQ(HudFont().raw.size(), static_cast<std::size_t>(kSheet * kSheet));
    }
};

TEST_F(AssetHudLayout, TextsFitTheirRoom) {
    for (const char* label : {"Player1 Exp:", "Player2 Exp:"})
        EXPECT_LE(1 + Advance(HudFont(), label) + kExtraColumns, 110) << label;
    for (int count = 0; count <= 100; ++count) {
        const std::string text = "New game in " + std::to_string(count);
        EXPECT_LE(300 + Advance(HudFont(), text) + kExtraColumns, 410) << text;
    }
    EXPECT_LE(Advance(HudFont(), "Bty:") + kExtraColumns, 32);
}

TEST_F(AssetHudLayout, HudEraserCoversExperienceAndCountdown) {
    SurfacePtr eraser = LoadOpaqueBmp("Graphics/black.bmp");
    ASSERT_NE(eraser, nullptr);
    for (int y = 0; y < eraser->h; ++y)
        for (int x = 0; x < eraser->w; ++x)
            ASSERT_TRUE(IsBlackAt(eraser.get(), x, y)) << "(" << x << ", " << y << ")";

    // At (1, 430) it must not hide the countdown text at x 300.
    EXPECT_LE(eraser->w, 299);
    const Rect hud{1, 430, eraser->w, eraser->h};
    for (const int y : {480, 500}) {
        EXPECT_TRUE(Covers(hud, TextRect(1, y, y == 480 ? "Player1 Exp:" : "Player2 Exp:")));
        for (const std::string& value : LongestValues())
            EXPECT_TRUE(Covers(hud, TextRect(110, y, value))) << value << " at row " << y;
    }
    const Rect countdown{300, 440, eraser->w, eraser->h};
    EXPECT_TRUE(Covers(countdown, TextRect(300, 440, "New game in 100")));
    EXPECT_TRUE(Covers(countdown, TextRect(410, 440, "seconds")));
}

TEST_F(AssetHudLayout, TagEraserCoversATagThatMovedTwoPixels) {
    SurfacePtr eraser = LoadOpaqueBmp("Graphics/black2.bmp");
    ASSERT_NE(eraser, nullptr);
    for (int y = 0; y < eraser->h; ++y)
        for (int x = 0; x < eraser->w; ++x)
            ASSERT_TRUE(IsBlackAt(eraser.get(), x, y)) << "(" << x << ", " << y << ")";

    const int px = 200;
    const int py = 200;
    const Rect tag{px, py + 32, eraser->w, eraser->h};
    for (const std::string& value : LongestValues()) {
        EXPECT_TRUE(Covers(tag, TextRect(px, py + 32, "Bty:")));
        EXPECT_TRUE(Covers(tag, TextRect(px + 32, py + 32, value))) << value;
        // Last frame's tag, up to two pixels off: its ink starts two
        // columns and two rows into each glyph rectangle.
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = -2; dy <= 2; ++dy) {
                const Rect label = TextRect(px + dx, py + 32 + dy, "Bty:");
                const Rect number = TextRect(px + 32 + dx, py + 32 + dy, value);
                for (const Rect& r : {label, number}) {
                    const Rect ink{r.x + kEmptyLead, r.y + kEmptyLead, r.w - kEmptyLead,
                                   r.h - kEmptyLead};
                    EXPECT_TRUE(Covers(tag, ink)) << value << " moved by " << dx << ", " << dy;
                }
            }
        }
    }
}

// --- Desktop icon -----------------------------------------------------------

std::uint32_t BitwiseCrc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Inflates a zlib stream made of stored blocks, or fails the test.
std::vector<std::uint8_t> InflateStored(const std::vector<std::uint8_t>& z) {
    std::vector<std::uint8_t> out;
    EXPECT_GE(z.size(), 6u);
    if (z.size() < 6)
        return out;
    EXPECT_EQ(z[0] & 0x0F, 8) << "deflate method";
    EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0) << "zlib header check";
    std::size_t at = 2;
    bool last = false;
    while (!last && at + 5 <= z.size()) {
        last = (z[at] & 1) != 0;
        EXPECT_EQ((z[at] >> 1) & 3, 0) << "stored block expected";
        const std::uint32_t len = Le(z, at + 1, 2);
        const std::uint32_t nlen = Le(z, at + 3, 2);
        EXPECT_EQ(len ^ 0xFFFFu, nlen);
        at += 5;
        if (at + len > z.size())
            break;
        out.insert(out.end(), z.begin() + static_cast<std::ptrdiff_t>(at),
                   z.begin() + static_cast<std::ptrdiff_t>(at + len));
        at += len;
    }
    EXPECT_TRUE(last);
    EXPECT_EQ(at + 4, z.size());
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t byte : out) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    if (at + 4 <= z.size()) {
        EXPECT_EQ(Be32(z, at), (b << 16) | a) << "Adler-32";
    }
    return out;
}

TEST(AssetIcon, IsAValid64PixelRgbaPng) {
    const std::vector<std::uint8_t> png = ReadFile("flagrun.png");
    ASSERT_GE(png.size(), 8u + 25u + 12u);
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_TRUE(std::equal(signature, signature + 8, png.begin()));

    std::vector<std::string> types;
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> compressed;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Be32(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        EXPECT_EQ(Be32(png, at + 8 + length), BitwiseCrc32(&png[at + 4], length + 4)) << type;
        const auto data = png.begin() + static_cast<std::ptrdiff_t>(at + 8);
        if (type == "IHDR")
            header.assign(data, data + length);
        if (type == "IDAT")
            compressed.insert(compressed.end(), data, data + length);
        types.push_back(type);
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types.back(), "IEND");

    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(Be32(header, 0), 64u);
    EXPECT_EQ(Be32(header, 4), 64u);
    EXPECT_EQ(header[8], 8);  // bits per channel
    EXPECT_EQ(header[9], 6);  // RGBA
    EXPECT_EQ(header[12], 0); // not interlaced

    const std::vector<std::uint8_t> rows = InflateStored(compressed);
    ASSERT_EQ(rows.size(), 64u * (1 + 64 * 4));
    for (std::size_t y = 0; y < 64; ++y)
        ASSERT_EQ(rows[y * 257], 0) << "row " << y << " filter";
    // Transparent in the corner, opaque in the middle of the figure.
    const auto alpha = [&](int x, int y) {
        return rows[static_cast<std::size_t>(y) * 257 + 1 + static_cast<std::size_t>(x) * 4 + 3];
    };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(32, 32), 255);
}

} // namespace
