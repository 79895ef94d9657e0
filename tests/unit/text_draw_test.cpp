// Drawing and measuring text with crafted fonts, checked pixel by pixel on
// the real screen against where each glyph rectangle must land.
#include "font/font.h"
#include "font/text.h"
#include "sdl_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kScreenW = 640;
constexpr int kScreenH = 530;

// Every sheet pixel is either fully covered or empty, scattered so that a
// rectangle copied from the wrong place, or to the wrong place, shows up.
// Full coverage must land as exactly the tint, no coverage must leave the
// destination exactly as it was.
bool Scattered(int x, int y) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return (h & 1u) != 0;
}

// The glyph '|' (column 12, row 7 of a 16-pixel cell) is a line down its
// cell's middle column; the rest of the sheet is empty.
bool MarkerOnly(int x, int y) {
    return x == 12 * 16 + 8 && y >= 7 * 16 && y < 8 * 16;
}

// Advance widths: 6 unless listed.
Bytes TestWidths() {
    Bytes widths(256, 6);
    widths['A'] = 10;
    widths['B'] = 7;
    widths['C'] = 0;
    widths['@'] = 30;
    widths['O'] = 30;
    widths['\n'] = 5;
    widths['|'] = 0;
    widths[200] = 9;
    widths[255] = 4;
    return widths;
}

void WriteFile(const std::string& path, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    ASSERT_EQ(std::fwrite(data, 1, size, file), size);
    std::fclose(file);
}

// One glyph rectangle: drawn at (dx, dy), cut w x h from (sx, sy).
struct Cut {
    int dx, dy, sx, sy, w, h;
};

class TextDrawTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        char pattern[] = "/tmp/flagrun-text-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        background = Rgb(10, 20, 30);
        tint = Rgb(255, 255, 0);
        SDL_FillRect(screen, nullptr, background);
    }
    void TearDown() override {
        if (font != nullptr)
            FreeFont(font);
        std::filesystem::remove_all(dir);
        ScreenTest::TearDown();
    }

    // Writes and loads a yellow font of side n whose coverage is `covered`.
    void LoadSheet(int n, bool (*covered)(int, int)) {
        const std::string ini = std::to_string(n);
        Bytes raw(static_cast<std::size_t>(n) * n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                raw[y * n + x] = covered(x, y) ? 255 : 0;
        const Bytes widths = TestWidths();
        WriteFile(dir + "/font.ini", ini.data(), ini.size());
        WriteFile(dir + "/font.raw", raw.data(), raw.size());
        WriteFile(dir + "/font.dat", widths.data(), widths.size());
        font = LoadTintedFont(dir.c_str(), 1.0f, 1.0f, 0.0f);
        ASSERT_NE(font, nullptr);
        side = n;
        covers = covered;
    }

    // The frame that should result: the cuts painted in order over the
    // background. A source pixel off the sheet is not drawn; every other
    // one lands where the uncut rectangle would have put it.
    std::vector<Uint32> Expected(const std::vector<Cut>& cuts) const {
        std::vector<Uint32> frame(kScreenW * kScreenH, background);
        for (const Cut& cut : cuts)
            for (int j = 0; j < cut.h; ++j)
                for (int i = 0; i < cut.w; ++i) {
                    const int sx = cut.sx + i, sy = cut.sy + j;
                    const int dx = cut.dx + i, dy = cut.dy + j;
                    if (sx < 0 || sy < 0 || sx >= side || sy >= side)
                        continue;
                    if (dx < 0 || dy < 0 || dx >= kScreenW || dy >= kScreenH)
                        continue;
                    if (covers(sx, sy))
                        frame[dy * kScreenW + dx] = tint;
                }
        return frame;
    }

    // Only the colour bits count: a blended blit fills the unused top byte
    // of the 32-bit pixel.
    static Uint32 Colour(SDL_Surface* surface, int x, int y) {
        const SDL_PixelFormat* f = surface->format;
        return PixelAt(surface, x, y) & (f->Rmask | f->Gmask | f->Bmask);
    }

    static void ExpectFrame(SDL_Surface* surface, const std::vector<Uint32>& frame) {
        int wrong = 0;
        for (int y = 0; y < kScreenH; ++y)
            for (int x = 0; x < kScreenW; ++x)
                if (Colour(surface, x, y) != frame[y * kScreenW + x] && wrong++ == 0)
                    ADD_FAILURE() << "first wrong pixel at (" << x << ", " << y << ")";
        EXPECT_EQ(wrong, 0);
    }

    std::string dir;
    Font* font = nullptr;
    int side = 0;
    bool (*covers)(int, int) = nullptr;
    Uint32 background = 0;
    Uint32 tint = 0;
};

struct PlacementCase {
    const char* name;
    int sheet;
    const char* text;
    int x, y;
    std::vector<Cut> cuts;
    int measure;
};

// Cell 16 unless the sheet is 200 (cell 12). Source x is the cell's left
// edge + cell / 2 - width / 2, each half rounded down on its own.
const PlacementCase kPlacements[] = {
    {"empty", 256, "", 100, 50, {}, 0},
    {"A: the worked example", 256, "A", 100, 50, {{100, 50, 19, 64, 12, 16}}, 10},
    {"pen moves by the width",
     256,
     "AAB",
     100,
     50,
     {{100, 50, 19, 64, 12, 16}, {110, 50, 19, 64, 12, 16}, {120, 50, 37, 64, 9, 16}},
     27},
    {"width 0 keeps the pen",
     256,
     "CA",
     100,
     50,
     {{100, 50, 56, 64, 2, 16}, {100, 50, 19, 64, 12, 16}},
     10},
    {"codes 128 and up",
     256,
     "\xC8\xFF",
     300,
     400,
     {{300, 400, 132, 192, 11, 16}, {309, 400, 246, 240, 6, 16}},
     13},
    {"line feed is a glyph",
     256,
     "x\ny",
     0,
     0,
     {{0, 0, 133, 112, 8, 16}, {6, 0, 166, 0, 7, 16}, {11, 0, 149, 112, 8, 16}},
     17},
    {"clipped at the sheet's left edge", 256, "@", 100, 50, {{100, 50, -7, 64, 32, 16}}, 30},
    {"clipped at the sheet's right edge", 256, "O", 100, 50, {{100, 50, 233, 64, 32, 16}}, 30},
    {"cell 12", 200, "AB", 600, 510, {{600, 510, 13, 48, 12, 12}, {610, 510, 27, 48, 9, 12}}, 17},
};

TEST_F(TextDrawTest, CutsEachGlyphFromItsCellAndAdvancesByItsWidth) {
    for (const PlacementCase& c : kPlacements) {
        SCOPED_TRACE(c.name);
        LoadSheet(c.sheet, Scattered);
        SDL_FillRect(screen, nullptr, background);
        DrawText(screen, font, c.x, c.y, "%s", c.text);
        ExpectFrame(screen, Expected(c.cuts));
        EXPECT_EQ(MeasureText(font, "%s", c.text), c.measure);
        FreeFont(font);
        font = nullptr;
    }
}

// The '|' drawn after a text lands exactly where the pen stopped, and that
// distance is what MeasureText reports.
TEST_F(TextDrawTest, MeasureEqualsThePenTravelOfDrawing) {
    const struct {
        const char* text;
        int measure;
    } cases[] = {
        {"", 0},    {"A", 10},    {"C", 0},         {"CCC", 0},
        {"AB", 17}, {"@O\n", 65}, {"\xC8\xFF", 13}, {"hello, world", 72},
    };
    LoadSheet(256, MarkerOnly);
    const int x = 20, y = 300;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SDL_FillRect(screen, nullptr, background);
        DrawText(screen, font, x, y, "%s|", c.text);
        int line = -1;
        for (int col = 0; col < kScreenW && line < 0; ++col)
            if (Colour(screen, col, y + 5) != background)
                line = col;
        EXPECT_EQ(line, x + c.measure);
        EXPECT_EQ(MeasureText(font, "%s", c.text), c.measure);
        ExpectFrame(screen, Expected({{x + c.measure, y, 200, 112, 2, 16}}));
    }
}

TEST_F(TextDrawTest, FormatsLikePrintf) {
    LoadSheet(256, Scattered);
    EXPECT_EQ(MeasureText(font, "%c%d%s", 'A', -7, "BC"), 10 + 6 + 6 + 7 + 0);
    EXPECT_EQ(MeasureText(font, "A%%"), 16);
    DrawText(screen, font, 40, 60, "%c%c", 'A', 'B');
    ExpectFrame(screen, Expected({{40, 60, 19, 64, 12, 16}, {50, 60, 37, 64, 9, 16}}));
}

// 2000 characters are cut to the first 1023. Drawn from far left onto
// another surface, only the last two glyphs reach it, and no glyph 1023
// follows at 10.
TEST_F(TextDrawTest, TextLongerThan1023CharactersIsCut) {
    LoadSheet(256, Scattered);
    const std::string text(2000, 'A');
    EXPECT_EQ(MeasureText(font, "%s", text.c_str()), 1023 * 10);

    SDL_Surface* target = SolidSurface(kScreenW, kScreenH, 10, 20, 30);
    ASSERT_NE(target, nullptr);
    DrawText(target, font, -10220, 100, "%s", text.c_str());
    ExpectFrame(target, Expected({{-10, 100, 19, 64, 12, 16}, {0, 100, 19, 64, 12, 16}}));
    ExpectFrame(screen, Expected({}));
    SDL_FreeSurface(target);
}

} // namespace
