// The real game, headless: the screen of SDL's dummy driver, the generated
// images and the HUD font from the run directory, and the start values of a run.
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

// How many pixels of the screen have this colour.
inline int CountPixels(std::uint32_t colour) {
    int count = 0;
    for (std::uint32_t pixel : ScreenColours(screen)) {
        count += pixel == colour;
    }
    return count;
}

// The input record of a keyboard with these keys held, through the game's own bindings.
inline FrameInput Keys(std::initializer_list<SDLKey> held = {}) {
    std::array<Uint8, SDLK_LAST> down{};
    for (SDLKey key : held) {
        down[key] = 1;
    }
    return ReadFrameInput(down.data(), DefaultKeyMap());
}

class GameTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        LoadImages();
        DrawBackground();
        game = GameState{};
        SetStartValues(game);
        hudFont = LoadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
        ASSERT_NE(hudFont, nullptr);
    }
    void TearDown() override {
        if (hudFont != nullptr) {
            FreeFont(hudFont);
        }
        hudFont = nullptr;
        FreeImages();
        ScreenTest::TearDown();
    }
};
