// The screen a frame ought to leave, composed afresh, and the comparison
// of two screens by colour.
#pragma once

#include "game_fixture.h"
#include "view/drawn_areas.h"
#include "view/erase.h"

#include <cstring>

// A scratch surface in the display's own format, freed with the test.
struct ScratchScreen {
    SDL_Surface* surface = SDL_DisplayFormat(screen);
    ~ScratchScreen() { SDL_FreeSurface(surface); }
};

// The frame that started from `before` with `keys` held, drawn again onto
// `scratch` over nothing but the background: the rules run again from the
// same state, so the countdown and a new game's background land as they
// did, then the sprite and text passes. The game state, the screen and the
// drawing's notes of the last frame are left as they were.
inline void ComposeAfresh(SDL_Surface* scratch, const GameState& before, const FrameInput& keys) {
    const GameState after = game;
    const DrawnAreas notes = drawnAreas;
    SDL_Surface* display = screen;
    screen = scratch;
    game = before;
    DrawBackground();
    ShowCountdowns(RunRules(game, keys));
    DrawSprites(game);
    DrawHudText(game);
    screen = display;
    game = after;
    drawnAreas = notes;
}

inline constexpr SDL_Rect kWholeScreen = {0, 0, 640, 530};

// How many pixels of `area` differ in colour between two 640x530 surfaces,
// and the first of them. The unused top byte is not compared: blending sets
// it where text was, and nobody sees it.
struct Difference {
    int count = 0;
    int x = -1;
    int y = -1;
};

inline const std::uint32_t* RowAt(SDL_Surface* surface, int x, int y) {
    const auto* row = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
    return reinterpret_cast<const std::uint32_t*>(row) + x;
}

inline Difference CompareColours(SDL_Surface* a, SDL_Surface* b, const SDL_Rect& area) {
    Difference difference;
    for (int y = area.y; y < area.y + area.h; ++y) {
        const std::uint32_t* rowA = RowAt(a, area.x, y);
        const std::uint32_t* rowB = RowAt(b, area.x, y);
        if (std::memcmp(rowA, rowB, area.w * sizeof(std::uint32_t)) == 0) {
            continue;
        }
        for (int i = 0; i < area.w; ++i) {
            const bool differs = ((rowA[i] ^ rowB[i]) & 0x00FFFFFF) != 0;
            if (differs && difference.count == 0) {
                difference.x = area.x + i;
                difference.y = y;
            }
            difference.count += differs ? 1 : 0;
        }
    }
    return difference;
}
