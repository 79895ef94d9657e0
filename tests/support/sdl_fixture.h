// What every test program shares: a real 640x530 32-bit screen from SDL's
// dummy video driver, the loaded sprites, and scratch files.
#pragma once

#include "view/images.h"
#include "view/sprite_table.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The video mode the game opens, from a fresh SDL, all zero, in `screen`.
class ScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen = SDL_SetVideoMode(640, 530, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        SDL_FillRect(screen, nullptr, 0);
    }
    void TearDown() override {
        screen = nullptr;
        SDL_Quit();
    }
};

// The pixel of a 32-bit surface at (x, y), as stored.
inline std::uint32_t PixelAt(SDL_Surface* surface, int x, int y) {
    const auto* row = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

// The colour of every pixel of a 640x530 surface, row by row. The unused
// top byte is left out: blending sets it where text once was, unseen.
inline std::vector<std::uint32_t> ScreenColours(SDL_Surface* surface) {
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            colours.push_back(PixelAt(surface, x, y) & 0x00FFFFFF);
        }
    }
    return colours;
}

// A 32-bit surface in the screen's format filled with one colour.
inline SDL_Surface* SolidSurface(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const SDL_PixelFormat* f = screen->format;
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, f->Rmask, f->Gmask, f->Bmask, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
    return s;
}

inline std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return SDL_MapRGB(screen->format, r, g, b);
}

// The game never frees its images; a test does, to stay leak-free.
inline void FreeImages() {
    for (const SpriteSlot& sprite : kSpriteSlots) {
        SDL_FreeSurface(images.*sprite.slot);
    }
    images = ImageSet{};
}

// A fresh directory under /tmp, removed with all it holds at the end of its scope.
struct ScratchDir {
    std::filesystem::path path = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "flagrun-test-XXXXXX";
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
        return pattern;
    }();
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return path / name; }
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A word for the shell, quoted; the tests' paths hold no quote.
inline std::string Quote(const std::string& text) {
    return "'" + text + "'";
}
