// The real game, headless: the screen of SDL's dummy driver, the generated
// images and fonts from the run directory, and the start values of a run.
#pragma once

#include "draw/images.h"
#include "draw/render.h"
#include "font/font.h"
#include "game/frame.h"
#include "game/game_state.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

// A key state as SDL_GetKeyState gives it: one byte per key symbol.
struct KeyState {
    std::array<Uint8, SDLK_LAST> down{};
    const Uint8* data() const { return down.data(); }
};

inline KeyState Keys(std::initializer_list<SDLKey> held = {}) {
    KeyState keys;
    for (SDLKey key : held) {
        keys.down[key] = 1;
    }
    return keys;
}

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen = SDL_SetVideoMode(640, 530, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
        ASSERT_NE(screen, nullptr) << SDL_GetError();
        images = ImageSet{};
        LoadImages();
        DrawBackground();
        game = GameState{};
        SetStartValues();
        plainFont = LoadWhiteFont("data/font1");
        hudFont = LoadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
        ASSERT_NE(plainFont, nullptr);
        ASSERT_NE(hudFont, nullptr);
    }
    void TearDown() override {
        if (plainFont != nullptr) {
            FreeFont(plainFont);
        }
        if (hudFont != nullptr) {
            FreeFont(hudFont);
        }
        plainFont = nullptr;
        hudFont = nullptr;
        FreeImages();
        screen = nullptr;
        SDL_Quit();
    }

    // Runs whole frames (rules, drawing and flip) with the given keys held.
    void RunFrames(int count, const KeyState& keys = Keys()) {
        for (int i = 0; i < count; ++i) {
            RunFrame(keys.data());
        }
    }

    // The game never frees its images; a test does, to stay leak-free.
    static void FreeImages() {
        for (SDL_Surface* ImageSet::*slot : kImageSlots) {
            SDL_FreeSurface(images.*slot);
        }
        images = ImageSet{};
    }

    static constexpr SDL_Surface* ImageSet::*kImageSlots[] = {
        &ImageSet::background,      &ImageSet::player1Body,      &ImageSet::player2Body,
        &ImageSet::enemy1Body,      &ImageSet::enemy2Body,       &ImageSet::blueFlag,
        &ImageSet::redFlag,         &ImageSet::player1Laser,     &ImageSet::player2Laser,
        &ImageSet::enemy1Laser,     &ImageSet::enemy2Laser,      &ImageSet::player1Corpse,
        &ImageSet::player2Corpse,   &ImageSet::enemy1Wreck,      &ImageSet::enemy2Wreck,
        &ImageSet::roadblock,       &ImageSet::player1Grenade,   &ImageSet::player2Grenade,
        &ImageSet::player1Blast,    &ImageSet::player2Blast,     &ImageSet::hudEraser,
        &ImageSet::countdownEraser, &ImageSet::player1TagEraser, &ImageSet::player2TagEraser,
    };
};
