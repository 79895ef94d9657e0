// A long scripted game, checked after every flip: the display is exactly a
// fresh composition of that frame, the background and the frame's own
// draws, with nothing left over from the frames before it.
#include "composition.h"

#include <cstdlib>
#include <initializer_list>

namespace {

// Both players move, shoot and throw; enemies are destroyed; both players
// die; the both-dead countdown runs into a new game; the game runs on
// quietly. (An aggregate, so the key lists live as long as the table.)
struct Stretch {
    const char* name;
    int frames;
    std::initializer_list<SDLKey> held;
};

const Stretch kScript[] = {
    {.name = "both walk down and right",
     .frames = 200,
     .held = {SDLK_RIGHT, SDLK_DOWN, SDLK_d, SDLK_s}},
    {.name = "player 1 fires walking right, player 2 throws walking down",
     .frames = 300,
     .held = {SDLK_RIGHT, SDLK_SPACE, SDLK_s, SDLK_LSHIFT}},
    {.name = "player 1 fires walking down, player 2 fires walking right",
     .frames = 300,
     .held = {SDLK_DOWN, SDLK_SPACE, SDLK_d, SDLK_LCTRL}},
    {.name = "player 1 throws walking left, player 2 throws walking up",
     .frames = 400,
     .held = {SDLK_LEFT, SDLK_RALT, SDLK_w, SDLK_LSHIFT}},
    {.name = "player 1 fires walking up, player 2 fires walking left",
     .frames = 400,
     .held = {SDLK_UP, SDLK_SPACE, SDLK_a, SDLK_LCTRL}},
    {.name = "player 1 walks down and right", .frames = 300, .held = {SDLK_DOWN, SDLK_RIGHT}},
    {.name = "player 1 throws standing", .frames = 600, .held = {SDLK_RALT}},
    {.name = "nobody touches a key", .frames = 900, .held = {}},
};

// No shot moves more than 3 pixels a frame on either axis in flight or at
// rest, so a longer step is a shot sent back to its owner.
constexpr int kLongestStep = 3;

bool SentBack(const Projectile& before, const Projectile& after) {
    const bool jumpedX = std::abs(after.x - before.x) > kLongestStep;
    const bool jumpedY = std::abs(after.y - before.y) > kLongestStep;
    return jumpedX || jumpedY;
}

// What happened in the frames checked, so that the script is known to
// cover every kind of frame that leaves an image behind.
struct Events {
    int kills = 0;
    int deaths = 0;
    int sentBack = 0;
    int countdownFrames = 0;
    int newGames = 0;
};

void CountEvents(const GameState& before, const GameState& after, Events* events) {
    events->kills += EnemyAlive(before.enemy1) && !EnemyAlive(after.enemy1);
    events->kills += EnemyAlive(before.enemy2) && !EnemyAlive(after.enemy2);
    events->deaths += PlayerAlive(before.player1) && !PlayerAlive(after.player1);
    events->deaths += PlayerAlive(before.player2) && !PlayerAlive(after.player2);
    events->sentBack += SentBack(before.player1.laser, after.player1.laser);
    events->sentBack += SentBack(before.player2.laser, after.player2.laser);
    events->sentBack += SentBack(before.player1.grenade, after.player1.grenade);
    events->sentBack += SentBack(before.player2.grenade, after.player2.grenade);
    events->sentBack += SentBack(before.enemy1.laser, after.enemy1.laser);
    events->sentBack += SentBack(before.enemy2.laser, after.enemy2.laser);
    events->countdownFrames += before.restartCountdown != after.restartCountdown;
    events->newGames +=
        before.restartCountdown != kCountdownStart && after.restartCountdown == kCountdownStart;
}

using NoSmearsTest = GameTest;

} // namespace

TEST_F(NoSmearsTest, EveryFlipShowsTheBackgroundAndThatFrameOnly) {
    ScratchScreen fresh;
    ASSERT_NE(fresh.surface, nullptr);
    Events events;
    int frame = 0;
    for (const Stretch& stretch : kScript) {
        const FrameInput keys = Keys(stretch.held);
        for (int i = 0; i < stretch.frames; ++i) {
            const GameState before = game;
            RunFrame(keys);
            frame += 1;
            CountEvents(before, game, &events);
            ComposeAfresh(fresh.surface, before, keys);
            const Difference smear = CompareColours(screen, fresh.surface, kWholeScreen);
            ASSERT_EQ(smear.count, 0) << "frame " << frame << ", " << stretch.name
                                      << ": first smeared pixel at " << smear.x << "," << smear.y;
        }
    }
    EXPECT_GE(events.kills, 3);
    EXPECT_GE(events.deaths, 2);
    EXPECT_GE(events.sentBack, 10);
    EXPECT_GE(events.countdownFrames, 100);
    EXPECT_EQ(events.newGames, 1);
}
