// The erase at the start of a frame: what the last frame drew and this one
// does not draw again is gone after this frame's flip.
#include "composition.h"

namespace {

// One frame draws an image; the next frame's rules, on the same keys, take
// its owner away from there. `lastImage` is where that image was drawn.
struct Case {
    const char* name;
    void (*setUp)();
    FrameInput keys;
    SDL_Rect lastImage;
    SDL_Surface* ImageSet::*missingImage = nullptr; // left empty for the case
};

constexpr FrameInput kNoKeys = {};
constexpr FrameInput kPlayer1WalksRightDown = {.player1 = {.down = true, .right = true},
                                               .player2 = {}};

const Case kCases[] = {
    // Drawn at (297, 151), it steps into the block at (294, 148) and goes
    // back to its enemy in the same frame.
    {.name = "an enemy laser sent back from the off-limits block",
     .setUp =
         [] {
             game.enemy1.laser.x = 300;
             game.enemy1.laser.y = 154;
         },
     .keys = kNoKeys,
     .lastImage = {297, 151, 11, 11}},
    // Without its plate nothing but the erase takes the tag "Bty: 0" at
    // (121, 233) away when Player 1 steps on to (122, 202).
    {.name = "a tag without its plate, one step behind its player",
     .setUp =
         [] {
             game.player1.x = 120;
             game.player1.y = 200;
         },
     .keys = kPlayer1WalksRightDown,
     .lastImage = {121, 233, 50, 16},
     .missingImage = &ImageSet::player1TagEraser},
};

using EraseTest = GameTest;

} // namespace

TEST_F(EraseTest, WhatTheLastFrameDrewIsGoneUnlessDrawnAgain) {
    ScratchScreen lastFlip;
    ScratchScreen fresh;
    ASSERT_NE(lastFlip.surface, nullptr);
    ASSERT_NE(fresh.surface, nullptr);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        game = GameState{};
        SetStartValues(game);
        DrawBackground();
        SDL_Surface* kept = nullptr;
        if (c.missingImage != nullptr) {
            kept = images.*c.missingImage;
            images.*c.missingImage = nullptr;
        }
        c.setUp();
        RunFrame(c.keys);
        SDL_BlitSurface(screen, nullptr, lastFlip.surface, nullptr);
        const GameState before = game;
        RunFrame(c.keys);
        ComposeAfresh(fresh.surface, before, c.keys);
        EXPECT_GT(CompareColours(lastFlip.surface, fresh.surface, c.lastImage).count, 0)
            << "the last image does not differ from this frame: nothing to erase";
        const Difference left = CompareColours(screen, fresh.surface, kWholeScreen);
        EXPECT_EQ(left.count, 0) << "first left at " << left.x << "," << left.y;
        if (c.missingImage != nullptr) {
            images.*c.missingImage = kept;
        }
    }
}
