// Loading crafted font directories, and drawing and measuring text with
// them, checked pixel by pixel on the real screen.
#include "font/font.h"
#include "font/text.h"
#include "sdl_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace {

class FontTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        char pattern[] = "/tmp/flagrun-font-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        font.reset();
        std::filesystem::remove_all(dir);
        ScreenTest::TearDown();
    }
    void WriteFont(const std::string& ini, const std::string& raw, const std::string& dat) {
        std::ofstream(dir + "/font.ini", std::ios::binary) << ini;
        std::ofstream(dir + "/font.raw", std::ios::binary) << raw;
        std::ofstream(dir + "/font.dat", std::ios::binary) << dat;
    }
    // Sheet pixel i, read back through the surface's own format.
    std::array<int, 4> Rgba(int i) const {
        Uint8 r, g, b, a;
        SDL_GetRGBA(PixelAt(font->surface, i % font->size, i / font->size), font->surface->format,
                    &r, &g, &b, &a);
        return {r, g, b, a};
    }

    std::string dir;
    std::unique_ptr<Font, decltype(&FreeFont)> font{nullptr, &FreeFont};
};

const std::string kZeros(256, 0); // a blank 16-pixel sheet, or zero widths

struct TintCase {
    int loader; // 0 LoadFont with the factors, 1 LoadWhiteFont, 2 LoadTintedFont(1, 1, 0)
    float r, g, b, a;
    std::array<int, 3> rgb;
    std::array<int, 4> alphaOf; // of the coverages 0, 128, 200, 255
};
const TintCase kTints[] = {
    {1, 0, 0, 0, 0, {255, 255, 255}, {0, 128, 200, 255}},         // white
    {2, 0, 0, 0, 0, {255, 255, 0}, {0, 128, 200, 255}},           // yellow
    {0, 1, 1, 1, 0.5f, {255, 255, 255}, {0, 64, 100, 127}},       // half alpha
    {0, 0.5f, 0.25f, 0.1f, 1, {127, 63, 25}, {0, 128, 200, 255}}, // truncated
    {0, 2, 1.5f, 7, 3, {255, 255, 255}, {0, 128, 200, 255}},      // clamped to 1
    {0, -1, 0.5f, -0.01f, -2, {0, 127, 0}, {0, 0, 0, 0}},         // clamped to 0
};

TEST_F(FontTest, TintsEveryPixelAndScalesCoverageIntoAlpha) {
    std::string raw;
    for (int i = 0; i < 64; ++i) {
        raw += std::string("\x00\x80\xC8\xFF", 4);
    }
    WriteFont("16", raw, kZeros);
    for (const TintCase& c : kTints) {
        SCOPED_TRACE(&c - kTints);
        font.reset(c.loader == 1   ? LoadWhiteFont(dir.c_str())
                   : c.loader == 2 ? LoadTintedFont(dir.c_str(), 1, 1, 0)
                                   : LoadFont(dir.c_str(), c.r, c.g, c.b, c.a));
        ASSERT_NE(font, nullptr);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(Rgba(i), (std::array{c.rgb[0], c.rgb[1], c.rgb[2], c.alphaOf[i % 4]})) << i;
        }
    }
}

TEST_F(FontTest, SideIsTheFirstIntegerOfTheIni) {
    const std::tuple<const char*, int, int> cases[] = {
        {"256\n", 256, 16}, {"256 trailing text", 256, 16}, {"200", 200, 12}};
    for (const auto& [ini, size, cellSize] : cases) {
        WriteFont(ini, std::string(size * size, 9), kZeros);
        font.reset(LoadWhiteFont(dir.c_str()));
        ASSERT_NE(font, nullptr) << ini;
        EXPECT_EQ(font->size, size) << ini;
        EXPECT_EQ(font->cellSize, cellSize) << ini;
    }
}

TEST_F(FontTest, BytesPastTheEndOfAShortFileCountAsFull) {
    std::string dat(100, 0);
    std::iota(dat.begin(), dat.end(), 0);
    WriteFont("32", std::string(32 * 32 - 1, 10), dat);
    font.reset(LoadWhiteFont(dir.c_str()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(Rgba(32 * 32 - 2)[3], 10);
    EXPECT_EQ(Rgba(32 * 32 - 1)[3], 255);
    for (int c = 0; c < 256; ++c) {
        ASSERT_EQ(font->widths[c], c < 100 ? c : 255) << "code " << c;
    }
}

// The path buffer holds 100 bytes: room for a 90-character directory,
// "/font.ini" and the NUL.
TEST_F(FontTest, RefusesMissingFilesUnusableSidesAndLongDirectoryNames) {
    for (const char* missing : {"font.ini", "font.raw", "font.dat"}) {
        WriteFont("16", kZeros, kZeros);
        std::filesystem::remove(dir + "/" + missing);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr) << missing;
    }
    for (const char* ini : {"", "abc", "0", "-5", "100000"}) {
        WriteFont(ini, kZeros, kZeros);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr) << '"' << ini << '"';
    }
    const std::string outer = dir;
    for (std::size_t length : {90u, 91u}) {
        dir = outer + "/" + std::string(length - outer.size() - 1, 'd');
        ASSERT_TRUE(std::filesystem::create_directory(dir));
        WriteFont("16", kZeros, kZeros);
        font.reset(LoadWhiteFont(dir.c_str()));
        EXPECT_EQ(font != nullptr, length == 90) << length;
    }
    dir = outer;
}

// Sheet pixels are fully covered or empty, scattered so that a rectangle
// cut from or drawn to the wrong place shows.
bool Scattered(int x, int y) {
    const std::uint32_t h = (x * 0x9E3779B1u ^ y * 0x85EBCA77u) * 0xC2B2AE35u;
    return (h >> 16 & 1u) != 0;
}

// One glyph rectangle, drawn at (dx, 50) and cut w x h from (sx, sy).
struct Cut {
    int dx, sx, sy, w, h;
};

class TextTest : public FontTest {
  protected:
    // A yellow font of side n; widths 6 but A 10, B 7, C 0, @ and O 30,
    // code 200 9 and code 255 4.
    void LoadSheet(int n) {
        std::string raw(n * n, 0), dat(256, 6);
        for (int i = 0; i < n * n; ++i) {
            raw[i] = Scattered(i % n, i / n) ? '\xFF' : 0;
        }
        dat['A'] = 10, dat['B'] = 7, dat['C'] = 0, dat['@'] = dat['O'] = 30;
        dat[200] = 9, dat[255] = 4;
        WriteFont(std::to_string(n), raw, dat);
        font.reset(LoadTintedFont(dir.c_str(), 1, 1, 0));
        ASSERT_NE(font, nullptr);
        SDL_FillRect(screen, nullptr, Rgb(10, 20, 30));
    }
    // The cuts painted in order over the background: a source pixel off the
    // sheet is skipped, the others land where the uncut rectangle puts them.
    void ExpectFrame(const std::vector<Cut>& cuts) const {
        std::vector<Uint32> frame(640 * 530, Rgb(10, 20, 30));
        for (const Cut& c : cuts) {
            for (int j = 0; j < c.h; ++j) {
                for (int i = 0; i < c.w; ++i) {
                    if (c.sx + i >= 0 && c.sx + i < font->size && c.dx + i >= 0 &&
                        Scattered(c.sx + i, c.sy + j)) {
                        frame[(50 + j) * 640 + c.dx + i] = Rgb(255, 255, 0);
                    }
                }
            }
        }
        const Uint32 mask = screen->format->Rmask | screen->format->Gmask | screen->format->Bmask;
        int wrong = 0;
        for (int y = 0; y < 530; ++y) {
            for (int x = 0; x < 640; ++x) {
                if ((PixelAt(screen, x, y) & mask) != frame[y * 640 + x] && wrong++ == 0) {
                    ADD_FAILURE() << "first wrong pixel at (" << x << ", " << y << ")";
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
};

// Texts drawn at (100, 50). A trailing A (code 65, column 1, row 4, cut
// from 16 + 8 - 5 = 19) shows where the pen stopped.
const struct Placement {
    int sheet;
    const char* text;
    std::vector<Cut> cuts;
    int measure;
} kPlacements[] = {
    {256, "", {}, 0},
    {256, "AA", {{100, 19, 64, 12, 16}, {110, 19, 64, 12, 16}}, 20},          // worked example
    {256, "BA", {{100, 37, 64, 9, 16}, {107, 19, 64, 12, 16}}, 17},           // odd width
    {256, "CA", {{100, 56, 64, 2, 16}, {100, 19, 64, 12, 16}}, 10},           // width 0
    {256, "@A", {{100, -7, 64, 32, 16}, {130, 19, 64, 12, 16}}, 40},          // clipped left
    {256, "OA", {{100, 233, 64, 32, 16}, {130, 19, 64, 12, 16}}, 40},         // clipped right
    {200, "BA", {{100, 27, 48, 9, 12}, {107, 13, 48, 12, 12}}, 17},           // cell 12
    {256, "\310\377", {{100, 132, 192, 11, 16}, {109, 246, 240, 6, 16}}, 13}, // codes 200, 255
};

TEST_F(TextTest, CutsEachGlyphFromItsCellAndMeasuresThePenTravel) {
    for (const Placement& c : kPlacements) {
        SCOPED_TRACE(c.text);
        LoadSheet(c.sheet);
        DrawText(screen, font.get(), 100, 50, "%s", c.text);
        ExpectFrame(c.cuts);
        EXPECT_EQ(MeasureText(font.get(), "%s", c.text), c.measure);
    }
}

// Of 2000 characters only the first 1023 count: drawn from far left, the
// last two reach the screen and no 1024th follows at x 10.
TEST_F(TextTest, FormatsLikePrintfAndCutsTextAt1023Characters) {
    LoadSheet(256);
    EXPECT_EQ(MeasureText(font.get(), "%c%d%s", 'A', -7, "BC"), 10 + 6 + 6 + 7 + 0);
    const std::string text(2000, 'A');
    EXPECT_EQ(MeasureText(font.get(), "%s", text.c_str()), 1023 * 10);
    DrawText(screen, font.get(), -10220, 50, "%s", text.c_str());
    ExpectFrame({{-10, 19, 64, 12, 16}, {0, 19, 64, 12, 16}});
}

} // namespace
