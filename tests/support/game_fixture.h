// The real game, headless: the screen of SDL's dummy driver, the generated
// images and fonts from the run directory, and the start values of a run.
#pragma once

#include "app/frame.h"
#include "input/bindings.h"
#include "rules/game_state.h"
#include "rules/geometry.h"
#include "rules/rules.h"
#include "sdl_fixture.h"
#include "view/font.h"
#include "view/render.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <ostream>

// The record of the steps a test runs alone, which it does not look at.
inline FrameEvents ignoredEvents;

// Points compare and print whole, so a failure shows both coordinates.
inline bool operator==(Point a, Point b) {
    return a.x == b.x && a.y == b.y;
}
inline void PrintTo(Point p, std::ostream* out) {
    *out << "(" << p.x << ", " << p.y << ")";
}

// The position of a player, an enemy or a projectile, and its placing.
template <typename T> Point PositionOf(const T& thing) {
    return {thing.x, thing.y};
}
template <typename T> void PutAt(T& thing, Point at) {
    thing.x = at.x;
    thing.y = at.y;
}

// How many pixels of the screen have this colour.
inline int CountPixels(std::uint32_t colour) {
    int count = 0;
    for (std::uint32_t pixel : ScreenColours(screen)) {
        count += pixel == colour;
    }
    return count;
}

// The input record of a keyboard with these keys held, through the game's
// own bindings. For the scripted games that are written as keys; a test of
// one rule builds its FrameInput directly.
inline FrameInput Keys(std::initializer_list<SDLKey> held = {}) {
    std::array<Uint8, SDLK_LAST> down{};
    for (SDLKey key : held) {
        down[key] = 1;
    }
    return ReadFrameInput(down.data());
}

// Whether the screen shows, inside `area`, the pixels of `image` drawn with
// its top-left corner at `at`. The area lies inside the image and the screen.
inline bool ShowsImageIn(SDL_Surface* image, Point at, SDL_Rect area) {
    SDL_Surface* converted = SDL_DisplayFormat(image);
    bool same = true;
    for (int y = area.y; y < area.y + area.h; ++y) {
        for (int x = area.x; x < area.x + area.w; ++x) {
            const std::uint32_t want = PixelAt(converted, x - at.x, y - at.y) & 0x00FFFFFF;
            same = same && (PixelAt(screen, x, y) & 0x00FFFFFF) == want;
        }
    }
    SDL_FreeSurface(converted);
    return same;
}

// Whether the screen shows the whole of `image` at `at`, the image lying
// wholly inside the screen.
inline bool ShowsImage(SDL_Surface* image, Point at) {
    const SDL_Rect area = {Narrow16(at.x), Narrow16(at.y), NarrowU16(image->w),
                           NarrowU16(image->h)};
    return ShowsImageIn(image, at, area);
}

class GameTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        LoadImages();
        DrawBackground();
        game = GameState{};
        SetStartValues(game);
        plainFont = LoadWhiteFont("data/font1");
        hudFont = LoadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
        ASSERT_NE(plainFont, nullptr);
        ASSERT_NE(hudFont, nullptr);
    }
    void TearDown() override {
        for (Font* font : {plainFont, hudFont}) {
            if (font != nullptr) {
                FreeFont(font);
            }
        }
        plainFont = nullptr;
        hudFont = nullptr;
        FreeImages();
        ScreenTest::TearDown();
    }

    // Runs whole frames (rules, drawing and flip) on the same input.
    static void RunFrames(int count, const FrameInput& input = {}) {
        for (int i = 0; i < count; ++i) {
            RunFrame(input);
        }
    }
};
