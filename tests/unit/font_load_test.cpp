// Loading crafted font directories: the side, the tinted RGBA sheet, the
// widths, short and long files, and every way a directory is refused.
#include "font/font.h"
#include "sdl_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const std::string& path, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    ASSERT_EQ(std::fwrite(data, 1, size, file), size);
    std::fclose(file);
}

// A fresh scratch directory per test, removed with its contents afterwards.
class FontLoadTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        char pattern[] = "/tmp/flagrun-font-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        if (font != nullptr)
            FreeFont(font);
        std::filesystem::remove_all(dir);
        ScreenTest::TearDown();
    }

    void WriteIni(const std::string& text) {
        WriteFile(dir + "/font.ini", text.data(), text.size());
    }
    void WriteRaw(const Bytes& bytes) { WriteFile(dir + "/font.raw", bytes.data(), bytes.size()); }
    void WriteDat(const Bytes& bytes) { WriteFile(dir + "/font.dat", bytes.data(), bytes.size()); }

    // A complete, valid font of side n with empty coverage and zero widths.
    void WriteFont(int n) {
        WriteIni(std::to_string(n) + "\n");
        WriteRaw(Bytes(static_cast<std::size_t>(n) * n, 0));
        WriteDat(Bytes(256, 0));
    }

    // The sheet pixel at index i, read back through the surface's own format.
    std::array<int, 4> SheetRgba(int i) {
        Uint8 r, g, b, a;
        const Uint32 pixel = PixelAt(font->surface, i % font->size, i / font->size);
        SDL_GetRGBA(pixel, font->surface->format, &r, &g, &b, &a);
        return {r, g, b, a};
    }
    // The same pixel in the RGBA buffer built while loading.
    std::array<int, 4> BufferRgba(int i) {
        const std::uint8_t* p = font->pixels + 4 * i;
        return {p[0], p[1], p[2], p[3]};
    }

    std::string dir;
    Font* font = nullptr;
};

enum class Loader { Full, White, Tinted };

struct TintCase {
    const char* name;
    Loader loader;
    float red, green, blue, alpha; // passed by Loader::Full only
    std::array<int, 3> colour;
    std::array<int, 4> alphaOf; // for the coverages 0, 128, 200, 255
};

constexpr std::array<std::uint8_t, 4> kCoverages = {0, 128, 200, 255};

const TintCase kTintCases[] = {
    {"white", Loader::White, 0, 0, 0, 0, {255, 255, 255}, {0, 128, 200, 255}},
    {"yellow", Loader::Tinted, 1, 1, 0, 0, {255, 255, 0}, {0, 128, 200, 255}},
    {"half alpha", Loader::Full, 1, 1, 1, 0.5f, {255, 255, 255}, {0, 64, 100, 127}},
    {"colour truncated", Loader::Full, 0.5f, 0.25f, 0.1f, 1, {127, 63, 25}, {0, 128, 200, 255}},
    {"above one clamped", Loader::Full, 2, 1.5f, 7, 3, {255, 255, 255}, {0, 128, 200, 255}},
    {"below zero clamped", Loader::Full, -1, 0.5f, -0.01f, -2, {0, 127, 0}, {0, 0, 0, 0}},
};

TEST_F(FontLoadTest, TintsEveryPixelAndScalesCoverageIntoAlpha) {
    for (const TintCase& c : kTintCases) {
        SCOPED_TRACE(c.name);
        // Side 16: the sheet is one pixel per cell; pixel i has coverage
        // kCoverages[i % 4].
        Bytes raw(256);
        for (std::size_t i = 0; i < raw.size(); ++i)
            raw[i] = kCoverages[i % 4];
        WriteIni("16");
        WriteRaw(raw);
        WriteDat(Bytes(256, 3));
        switch (c.loader) {
        case Loader::Full:
            font = LoadFont(dir.c_str(), c.red, c.green, c.blue, c.alpha);
            break;
        case Loader::White:
            font = LoadWhiteFont(dir.c_str());
            break;
        case Loader::Tinted:
            font = LoadTintedFont(dir.c_str(), 1.0f, 1.0f, 0.0f);
            break;
        }
        ASSERT_NE(font, nullptr);
        ASSERT_EQ(font->surface->w, 16);
        ASSERT_EQ(font->surface->h, 16);
        ASSERT_NE(font->surface->format->Amask, 0u);
        for (int i = 0; i < 256; ++i) {
            const std::array<int, 4> want = {c.colour[0], c.colour[1], c.colour[2],
                                             c.alphaOf[i % 4]};
            ASSERT_EQ(SheetRgba(i), want) << "pixel " << i;
            ASSERT_EQ(BufferRgba(i), want) << "pixel " << i;
        }
        FreeFont(font);
        font = nullptr;
    }
}

TEST_F(FontLoadTest, SideComesFromTheFirstIntegerOfTheIni) {
    struct Case {
        const char* ini;
        int size, cellSize;
    } const cases[] = {
        {"256\n", 256, 16},         {"256 trailing text", 256, 16},
        {" \n\t32", 32, 2},         {"200", 200, 12},
        {"17xyz", 17, 1},           {"15", 15, 0},
        {"+48\r\nanything", 48, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        WriteIni(c.ini);
        WriteRaw(Bytes(static_cast<std::size_t>(c.size) * c.size, 9));
        WriteDat(Bytes(256, 0));
        font = LoadWhiteFont(dir.c_str());
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->size, c.size);
        EXPECT_EQ(font->cellSize, c.cellSize);
        EXPECT_EQ(font->surface->w, c.size);
        EXPECT_EQ(font->surface->h, c.size);
        FreeFont(font);
        font = nullptr;
    }
}

TEST_F(FontLoadTest, ReadsCoverageAndWidthsInOrderIgnoringExtraBytes) {
    const int n = 48;
    Bytes raw(n * n + 300);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    Bytes dat(256 + 40);
    for (std::size_t i = 0; i < dat.size(); ++i)
        dat[i] = static_cast<std::uint8_t>(255 - i * 3);
    WriteIni("48");
    WriteRaw(raw);
    WriteDat(dat);
    font = LoadWhiteFont(dir.c_str());
    ASSERT_NE(font, nullptr);
    for (int i = 0; i < n * n; ++i)
        ASSERT_EQ(SheetRgba(i)[3], raw[i]) << "pixel " << i;
    for (int c = 0; c < 256; ++c)
        ASSERT_EQ(font->widths[c], dat[c]) << "code " << c;
}

TEST_F(FontLoadTest, BytesPastTheEndOfAShortFileCountAsFull) {
    const int n = 32;
    WriteIni("32");
    WriteRaw(Bytes(n * n - 1, 10));
    Bytes dat(100);
    for (std::size_t i = 0; i < dat.size(); ++i)
        dat[i] = static_cast<std::uint8_t>(i);
    WriteDat(dat);
    font = LoadFont(dir.c_str(), 1, 1, 1, 1);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(SheetRgba(n * n - 2)[3], 10);
    EXPECT_EQ(SheetRgba(n * n - 1)[3], 255);
    for (int c = 0; c < 256; ++c)
        ASSERT_EQ(font->widths[c], c < 100 ? c : 255) << "code " << c;
}

TEST_F(FontLoadTest, RefusesAMissingFile) {
    for (const char* missing : {"font.ini", "font.raw", "font.dat"}) {
        SCOPED_TRACE(missing);
        WriteFont(16);
        std::filesystem::remove(dir + "/" + missing);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr);
    }
    EXPECT_EQ(LoadWhiteFont((dir + "/absent").c_str()), nullptr);
}

TEST_F(FontLoadTest, RefusesAnUnusableSide) {
    for (const char* ini :
         {"", "   \n", "abc", "x256", "-", "0", "-5", "4097", "100000", "99999999999999999999"}) {
        SCOPED_TRACE(ini);
        WriteFont(16);
        WriteIni(ini);
        EXPECT_EQ(LoadWhiteFont(dir.c_str()), nullptr);
    }
}

// The path buffer holds 100 bytes: a 90-character directory plus
// "/font.ini" and the NUL fills it exactly; one more character is refused
// even though the files are there.
TEST_F(FontLoadTest, RefusesADirectoryNameLongerThan90Characters) {
    for (std::size_t length : {90u, 91u}) {
        SCOPED_TRACE(length);
        const std::string sub = dir + "/" + std::string(length - dir.size() - 1, 'd');
        ASSERT_EQ(sub.size(), length);
        ASSERT_TRUE(std::filesystem::create_directory(sub));
        const std::string outer = dir;
        dir = sub;
        WriteFont(16);
        dir = outer;
        font = LoadWhiteFont(sub.c_str());
        EXPECT_EQ(font != nullptr, length == 90);
        if (font != nullptr)
            FreeFont(font);
        font = nullptr;
    }
}

} // namespace
