// The real game, headless: the screen of SDL's dummy driver, the generated
// images and fonts from the run directory, and the start values of a run.
#pragma once

#include "draw/render.h"
#include "font/font.h"
#include "game/bindings.h"
#include "game/frame.h"
#include "game/game_state.h"
#include "sdl_fixture.h"

#include "draw/sprite_table.h"

#include <array>
#include <initializer_list>

using KeyState = FrameInput;

// The input record of a keyboard with these keys held, through the game's
// own bindings.
inline FrameInput Keys(std::initializer_list<SDLKey> held = {}) {
    std::array<Uint8, SDLK_LAST> down{};
    for (SDLKey key : held) {
        down[key] = 1;
    }
    return ReadFrameInput(down.data());
}

class GameTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        LoadImages();
        DrawBackground();
        game = GameState{};
        SetStartValues();
        plainFont = LoadWhiteFont("data/font1");
        hudFont = LoadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
        ASSERT_NE(plainFont, nullptr);
        ASSERT_NE(hudFont, nullptr);
    }
    // The game never frees its images; a test does, to stay leak-free.
    void TearDown() override {
        for (Font* font : {plainFont, hudFont}) {
            if (font != nullptr) {
                FreeFont(font);
            }
        }
        plainFont = hudFont = nullptr;
        for (const SpriteSlot& sprite : kSpriteSlots) {
            SDL_FreeSurface(images.*sprite.slot);
        }
        images = ImageSet{};
        ScreenTest::TearDown();
    }

    // Runs whole frames (rules, drawing and flip) with the given keys held.
    void RunFrames(int count, const KeyState& keys = Keys()) {
        for (int i = 0; i < count; ++i) {
            RunFrame(keys);
        }
    }
};
