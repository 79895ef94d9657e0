// Crafted font directories loaded, and text drawn and measured with them on the real screen.
#include "sdl_fixture.h"
#include "view/font.h"
#include "view/text.h"

#include <array>
#include <memory>

namespace {

class FontTest : public ScreenTest {
  protected:
    void TearDown() override {
        font.reset();
        ScreenTest::TearDown();
    }
    void WriteFont(const std::string& ini, const std::string& raw, const std::string& dat) const {
        WriteFile(dir + "/font.ini", ini);
        WriteFile(dir + "/font.raw", raw);
        WriteFile(dir + "/font.dat", dat);
    }
    // The colour and alpha of the i-th pixel of the sheet.
    std::array<int, 4> Rgba(int i) const {
        Uint8 c[4];
        const Uint32 pixel = PixelAt(font->surface, i % font->size, i / font->size);
        SDL_GetRGBA(pixel, font->surface->format, &c[0], &c[1], &c[2], &c[3]);
        return {c[0], c[1], c[2], c[3]};
    }
    ScratchDir scratch;
    std::string dir = scratch.path;
    std::unique_ptr<Font, decltype(&FreeFont)> font{nullptr, &FreeFont};
};

// The side is the ini's first word, read whole: all digits, 16 to 4096, leading zeros allowed.
struct IniCase {
    const char* name;
    const char* ini;
    int side; // 0: refused
};
const IniCase kIniCases[] = {
    {.name = "white space around the word", .ini = " \t\n200\ntrailing text", .side = 200},
    {.name = "leading zeros are read past", .ini = "0000000256", .side = 256},
    {.name = "the smallest side with visible cells", .ini = "16", .side = 16},
    {.name = "the largest side", .ini = "4096", .side = 4096},
    {.name = "a side giving zero-pixel cells", .ini = "15", .side = 0},
    {.name = "the tenth digit is not dropped", .ini = "2560000000", .side = 0},
    {.name = "a side past 4096", .ini = "4097", .side = 0},
    {.name = "digits followed by letters", .ini = "256abc", .side = 0},
    {.name = "a sign", .ini = "+256", .side = 0},
    {.name = "empty", .ini = "", .side = 0},
};

// Coverage and widths missing at the end of a short font.raw or font.dat count as 255.
TEST_F(FontTest, TakesTheSideFromTheIniAndReadsShortFilesAsFull) {
    std::string widths(100, 0);
    for (int i = 0; i < 100; ++i) {
        widths[i] = static_cast<char>(i);
    }
    for (const IniCase& row : kIniCases) {
        WriteFont(row.ini, std::string(row.side, 10), widths);
        font.reset(LoadWhiteFont(dir.c_str()));
        ASSERT_EQ(font ? font->size : 0, row.side) << row.name;
        if (font != nullptr) {
            EXPECT_EQ(font->cellSize, row.side / 16) << row.name;
            EXPECT_EQ(Rgba(row.side - 1)[3], 10) << row.name;
            EXPECT_EQ(Rgba(row.side)[3], 255) << row.name;
            EXPECT_EQ(font->widths[99], 99) << row.name;
            EXPECT_EQ(font->widths[100], 255) << row.name;
        }
    }
}

// A missing file, a file that is a directory (every read fails), and a directory name that
// leaves no room in the 100-byte path buffer for "/font.ini" and the NUL all refuse the font,
// even where the cut names "font.in", "font.ra" and "font.da" are there.
TEST_F(FontTest, RefusesMissingAndUnreadableFilesAndLongNames) {
    for (const char* name : {"/font.ini", "/font.raw", "/font.dat"}) {
        WriteFont("16", "", "");
        std::filesystem::remove(dir + name);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr) << name << " missing";
        std::filesystem::create_directory(dir + name);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr) << name << " a directory";
        std::filesystem::remove(dir + name);
    }
    for (std::size_t length : {90u, 91u}) {
        dir = scratch / std::string(length - scratch.path.string().size() - 1, 'd');
        std::filesystem::create_directory(dir);
        WriteFont("16", "", "");
        for (const char* cut : {"/font.in", "/font.ra", "/font.da"}) {
            WriteFile(dir + cut, "16");
        }
        font.reset(LoadWhiteFont(dir.c_str()));
        EXPECT_EQ(font != nullptr, length == 90) << length;
    }
}

// Each glyph is cut from its 16-pixel cell: `w` = its width + 2 columns from `sx`, width / 2 left
// of the cell's middle, and `sy`, the cell's top. A glyph of a yellow sheet of scattered full
// and empty pixels, drawn at (100, 50), and an A (width 10) after it where the pen stopped.
struct Glyph {
    const char* name;
    const char* text;
    int sx, sy, w, width;
};
const Glyph kGlyphs[] = {
    {.name = "A, code 65 of row 4", .text = "A", .sx = 19, .sy = 64, .w = 12, .width = 10},
    {.name = "an odd width", .text = "B", .sx = 37, .sy = 64, .w = 9, .width = 7},
    {.name = "width 0", .text = "C", .sx = 56, .sy = 64, .w = 2, .width = 0},
    {.name = "clipped at the sheet's left", .text = "@", .sx = -7, .sy = 64, .w = 32, .width = 30},
    {.name = "code 255", .text = "\377", .sx = 246, .sy = 240, .w = 6, .width = 4},
};

// Sheet pixels are fully covered or empty, scattered so that a misplaced cut shows.
bool Scattered(int x, int y) {
    return ((x * 0x9E3779B1u ^ y * 0x85EBCA77u) * 0xC2B2AE35u >> 16 & 1u) != 0;
}

bool Inked(const Glyph& glyph, int dx, int x, int y) {
    const int sx = glyph.sx + x - dx;
    const bool inCut = x >= dx && x < dx + glyph.w && y >= 50 && y < 66;
    return inCut && sx >= 0 && sx < 256 && Scattered(sx, glyph.sy + y - 50);
}

TEST_F(FontTest, CutsEachGlyphFromItsCellAndMeasuresThePenTravel) {
    std::string raw(256 * 256, 0);
    std::string dat(256, 6);
    for (int i = 0; i < 256 * 256; ++i) {
        raw[i] = Scattered(i % 256, i / 256) ? '\xFF' : 0;
    }
    for (const Glyph& glyph : kGlyphs) {
        dat[static_cast<unsigned char>(glyph.text[0])] = static_cast<char>(glyph.width);
    }
    WriteFont("256", raw, dat);
    font.reset(LoadTintedFont(dir.c_str(), 1, 1, 0));
    ASSERT_NE(font, nullptr);
    for (const Glyph& glyph : kGlyphs) {
        SCOPED_TRACE(glyph.name);
        SDL_FillRect(screen, nullptr, Rgb(10, 20, 30));
        DrawText(screen, font.get(), 100, 50, "%sA", glyph.text);
        EXPECT_EQ(MeasureText(font.get(), "%sA", glyph.text), glyph.width + 10);
        for (int i = 0; i < 640 * 530; ++i) {
            const int x = i % 640;
            const int y = i / 640;
            const bool ink = Inked(glyph, 100, x, y) || Inked(kGlyphs[0], 100 + glyph.width, x, y);
            const Uint32 colour = ink ? Rgb(255, 255, 0) : Rgb(10, 20, 30);
            ASSERT_EQ(PixelAt(screen, x, y) & 0xFFFFFF, colour) << x << ", " << y;
        }
    }
    EXPECT_EQ(MeasureText(font.get(), "%c%d%s", 'A', -7, "BC"), 10 + 6 + 6 + 7 + 0);
    EXPECT_EQ(MeasureText(font.get(), "%s", std::string(2000, 'A').c_str()), 1023 * 10);
}

} // namespace
