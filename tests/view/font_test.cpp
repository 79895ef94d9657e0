// Crafted font directories loaded, and text drawn and measured with them on the real screen.
#include "sdl_fixture.h"
#include "view/font.h"
#include "view/text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Sheet pixels are fully covered or empty, scattered so that a misplaced rectangle shows.
bool Scattered(int x, int y) {
    return ((x * 0x9E3779B1u ^ y * 0x85EBCA77u) * 0xC2B2AE35u >> 16 & 1u) != 0;
}

using Cut = std::array<int, 5>; // a glyph drawn at (dx, 50), cut w x h from (sx, sy)

class FontTest : public ScreenTest {
  protected:
    void TearDown() override {
        font.reset();
        ScreenTest::TearDown();
    }
    void WriteFont(const std::string& ini, const std::string& raw, const std::string& dat,
                   std::string to = "") {
        to = to.empty() ? dir : to;
        WriteFile(to + "/font.ini", ini);
        WriteFile(to + "/font.raw", raw);
        WriteFile(to + "/font.dat", dat);
    }
    std::array<int, 4> Rgba(int i) const {
        Uint8 r, g, b, a;
        SDL_GetRGBA(PixelAt(font->surface, i % font->size, i / font->size), font->surface->format,
                    &r, &g, &b, &a);
        return {r, g, b, a};
    }
    // A yellow font of side n; widths 6 but A 10, B 7, C 0, @ and O 30, 200 9, 255 4.
    void LoadSheet(int n) {
        std::string raw(n * n, 0), dat(256, 6);
        for (int i = 0; i < n * n; ++i) {
            raw[i] = Scattered(i % n, i / n) ? '\xFF' : 0;
        }
        dat['A'] = 10;
        dat['B'] = 7;
        dat['C'] = 0;
        dat['@'] = 30;
        dat['O'] = 30;
        dat[200] = 9;
        dat[255] = 4;
        WriteFont(std::to_string(n), raw, dat);
        font.reset(LoadTintedFont(dir.c_str(), 1, 1, 0));
        ASSERT_NE(font, nullptr);
        SDL_FillRect(screen, nullptr, Rgb(10, 20, 30));
    }
    // The cuts over the background, source pixels off the sheet skipped.
    void ExpectFrame(const std::vector<Cut>& cuts) const {
        const Uint32 mask = screen->format->Rmask | screen->format->Gmask | screen->format->Bmask;
        for (int i = 0; i < 640 * 530; ++i) {
            const int x = i % 640, y = i / 640;
            bool ink = false;
            for (const auto& [dx, sx, sy, w, h] : cuts) {
                ink |= x >= dx && x < dx + w && y >= 50 && y < 50 + h && sx + x - dx >= 0 &&
                       sx + x - dx < font->size && Scattered(sx + x - dx, sy + y - 50);
            }
            ASSERT_EQ(PixelAt(screen, x, y) & mask, ink ? Rgb(255, 255, 0) : Rgb(10, 20, 30))
                << "at (" << x << ", " << y << ")";
        }
    }

    ScratchDir scratch;
    std::string dir = scratch.path;
    std::unique_ptr<Font, decltype(&FreeFont)> font{nullptr, &FreeFont};
};
using TextTest = FontTest;

const std::string kZeros(256, 0); // a blank 16-pixel sheet, or zero widths

// Loader (0 LoadFont, 1 LoadWhiteFont, 2 LoadTintedFont(1, 1, 0)), factors, colour, alpha by
// coverage 0, 128, 200, 255.
const std::tuple<int, std::array<float, 4>, std::array<int, 3>, std::array<int, 4>> kTints[] = {
    {1, {}, {255, 255, 255}, {0, 128, 200, 255}},              // white
    {2, {}, {255, 255, 0}, {0, 128, 200, 255}},                // yellow
    {0, {1, 1, 1, 0.5f}, {255, 255, 255}, {0, 64, 100, 127}},  // half alpha
    {0, {2, 1.5f, 7, 3}, {255, 255, 255}, {0, 128, 200, 255}}, // clamped to 1
    {0, {-1, 0.5f, -0.01f, -2}, {0, 127, 0}, {0, 0, 0, 0}},    // clamped to 0
};

TEST_F(FontTest, TintsEveryPixelAndScalesCoverageIntoAlpha) {
    std::string raw;
    while (raw.size() < 256) {
        raw.append("\x00\x80\xC8\xFF", 4);
    }
    WriteFont("16", raw, kZeros);
    for (const auto& [loader, f, rgb, alphaOf] : kTints) {
        SCOPED_TRACE(testing::PrintToString(std::tuple(loader, f)));
        font.reset(loader == 1   ? LoadWhiteFont(dir.c_str())
                   : loader == 2 ? LoadTintedFont(dir.c_str(), 1, 1, 0)
                                 : LoadFont(dir.c_str(), f[0], f[1], f[2], f[3]));
        ASSERT_NE(font, nullptr);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ(Rgba(i), (std::array{rgb[0], rgb[1], rgb[2], alphaOf[i % 4]})) << i;
        }
    }
}

// The side is the ini's first word, read whole: all digits, 16 to 4096, leading zeros allowed.
struct IniCase {
    const char* name;
    const char* ini;
    int size; // 0: refused
};
const IniCase kIniCases[] = {
    {.name = "white space ends the word", .ini = "256\ntrailing text", .size = 256},
    {.name = "leading white space is skipped", .ini = " \t\n200", .size = 200},
    {.name = "leading zeros are read past", .ini = "0000000256", .size = 256},
    {.name = "the smallest side with visible cells", .ini = "16", .size = 16},
    {.name = "a side giving zero-pixel cells", .ini = "15", .size = 0},
    {.name = "the tenth digit is not dropped", .ini = "2560000000", .size = 0},
    {.name = "a side past 4096", .ini = "4097", .size = 0},
    {.name = "digits followed by letters", .ini = "256abc", .size = 0},
    {.name = "a sign", .ini = "+256", .size = 0},
    {.name = "empty", .ini = "", .size = 0},
};

TEST_F(FontTest, TakesTheSideFromTheIniAndRefusesUnusableSides) {
    for (const IniCase& row : kIniCases) {
        WriteFont(row.ini, std::string(row.size ? row.size * row.size : 256, 9), kZeros);
        font.reset(LoadWhiteFont(dir.c_str()));
        EXPECT_EQ(font ? font->size : 0, row.size) << row.name;
        EXPECT_EQ(font ? font->cellSize : 0, row.size / 16) << row.name;
    }
}

// A missing file, a file that is a directory (every read fails), and a directory name that
// leaves no room in the 100-byte path buffer for "/font.ini" and the NUL all refuse the font.
TEST_F(FontTest, RefusesMissingAndUnreadableFilesAndLongNames) {
    for (const char* name : {"font.ini", "font.raw", "font.dat"}) {
        WriteFont("16", kZeros, kZeros);
        std::filesystem::remove(dir + "/" + name);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr) << name << " missing";
        ASSERT_TRUE(std::filesystem::create_directory(dir + "/" + name));
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr) << name << " a directory";
        std::filesystem::remove(dir + "/" + name);
    }
    for (std::size_t length : {90u, 91u, 200u}) {
        const std::string inner = dir + "/" + std::string(length - dir.size() - 1, 'd');
        ASSERT_TRUE(std::filesystem::create_directory(inner));
        WriteFont("16", kZeros, kZeros, inner);
        font.reset(LoadWhiteFont(inner.c_str()));
        EXPECT_EQ(font != nullptr, length == 90) << length;
    }
}

TEST_F(FontTest, BytesPastTheEndOfAShortFileCountAsFull) {
    std::vector<int> widths(256, 255);
    std::iota(widths.begin(), widths.begin() + 100, 0);
    WriteFont("32", std::string(32 * 32 - 1, 10),
              std::string(widths.begin(), widths.begin() + 100));
    font.reset(LoadWhiteFont(dir.c_str()));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(Rgba(32 * 32 - 2)[3], 10);
    EXPECT_EQ(Rgba(32 * 32 - 1)[3], 255);
    EXPECT_EQ(std::vector(font->widths, font->widths + 256), widths);
}

const std::string kLong(2000, 'A');

// Texts drawn at (x, 50). A trailing A (code 65, cell 1, 4, cut from 16 + 8 - 5 = 19) shows where
// the pen stopped. Only 1023 characters of kLong count: no 1024th shows at x 10.
const std::tuple<int, int, const char*, std::vector<Cut>, int> kPlacements[] = {
    {256, 100, "", {}, 0},
    {256, 100, "AA", {{100, 19, 64, 12, 16}, {110, 19, 64, 12, 16}}, 20},          // worked example
    {256, 100, "BA", {{100, 37, 64, 9, 16}, {107, 19, 64, 12, 16}}, 17},           // odd width
    {256, 100, "CA", {{100, 56, 64, 2, 16}, {100, 19, 64, 12, 16}}, 10},           // width 0
    {256, 100, "@A", {{100, -7, 64, 32, 16}, {130, 19, 64, 12, 16}}, 40},          // clipped left
    {256, 100, "OA", {{100, 233, 64, 32, 16}, {130, 19, 64, 12, 16}}, 40},         // clipped right
    {200, 100, "BA", {{100, 27, 48, 9, 12}, {107, 13, 48, 12, 12}}, 17},           // cell 12
    {256, 100, "\310\377", {{100, 132, 192, 11, 16}, {109, 246, 240, 6, 16}}, 13}, // codes 200, 255
    {256, -10220, kLong.c_str(), {{-10, 19, 64, 12, 16}, {0, 19, 64, 12, 16}}, 1023 * 10},
};

TEST_F(TextTest, CutsEachGlyphFromItsCellAndMeasuresThePenTravel) {
    for (const auto& [sheet, x, text, cuts, measure] : kPlacements) {
        SCOPED_TRACE(std::string(text).substr(0, 2) + " at " + std::to_string(x));
        LoadSheet(sheet);
        DrawText(screen, font.get(), x, 50, "%s", text);
        ExpectFrame(cuts);
        EXPECT_EQ(MeasureText(font.get(), "%s", text), measure);
    }
    EXPECT_EQ(MeasureText(font.get(), "%c%d%s", 'A', -7, "BC"), 10 + 6 + 6 + 7 + 0);
}

} // namespace
