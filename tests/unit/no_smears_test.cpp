// A long scripted game leaves a screen equal, pixel for pixel, to a clean
// composition of its last state: the art's margins and erasers leave no
// trails. The one residue the never-cleared screen implies is the last image
// of a shot that the rules sent back to its owner instead of moving it.
#include "game_fixture.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Both players move, shoot and throw; both die; enemies are destroyed; a
// both-dead countdown runs into a new game; the game then runs on quietly.
// (An aggregate, so the key lists live as long as the table.)
struct Instruction {
    int frames;
    std::initializer_list<SDLKey> held;
};
const Instruction kScript[] = {
    {200, {SDLK_RIGHT, SDLK_DOWN, SDLK_d, SDLK_s}},
    {300, {SDLK_RIGHT, SDLK_SPACE, SDLK_s, SDLK_LSHIFT}},
    {300, {SDLK_DOWN, SDLK_SPACE, SDLK_d, SDLK_LCTRL}},
    {400, {SDLK_LEFT, SDLK_RALT, SDLK_w, SDLK_LSHIFT}},
    {400, {SDLK_UP, SDLK_SPACE, SDLK_a, SDLK_LCTRL}},
    {300, {SDLK_DOWN, SDLK_RIGHT}},
    {600, {SDLK_RALT}},
    {900, {}},
};

const std::pair<Projectile*, SDL_Surface * ImageSet::*> kShots[] = {
    {&game.player1.laser, &ImageSet::player1Laser},
    {&game.player2.laser, &ImageSet::player2Laser},
    {&game.player1.grenade, &ImageSet::player1Grenade},
    {&game.player2.grenade, &ImageSet::player2Grenade},
    {&game.enemy1.laser, &ImageSet::enemy1Laser},
    {&game.enemy2.laser, &ImageSet::enemy2Laser},
};

using NoSmearsTest = GameTest;

} // namespace

TEST_F(NoSmearsTest, LongGameLeavesOnlySentBackShots) {
    std::vector<bool> residue(640 * 530);
    int kills = 0, deaths = 0, countdownFrames = 0, newGames = 0;
    for (const Instruction& step : kScript) {
        const KeyState keys = Keys(step.held);
        for (int i = 0; i < step.frames; ++i) {
            const GameState old = game;
            std::vector<Projectile> shotsBefore;
            for (const auto& [shot, image] : kShots) {
                shotsBefore.push_back(*shot);
            }
            RunFrame(keys);
            // A shot that moved more than its margin in one frame was sent
            // back: where it was last drawn stays on screen.
            for (std::size_t s = 0; s < std::size(kShots); ++s) {
                const Projectile& was = shotsBefore[s];
                const SDL_Surface* image = images.*kShots[s].second;
                if (std::abs(kShots[s].first->x - was.x) > 3 ||
                    std::abs(kShots[s].first->y - was.y) > 3) {
                    for (int y = std::max(was.y, 0); y < std::min(was.y + image->h, 530); ++y) {
                        for (int x = std::max(was.x, 0); x < std::min(was.x + image->w, 640); ++x) {
                            residue[y * 640 + x] = true;
                        }
                    }
                }
            }
            kills += (old.enemy1.dx && !game.enemy1.dx) + (old.enemy2.dx && !game.enemy2.dx);
            deaths +=
                (!old.player1.dead && game.player1.dead) + (!old.player2.dead && game.player2.dead);
            countdownFrames += old.restartCountdown != game.restartCountdown;
            if (old.restartCountdown != kCountdownStart &&
                game.restartCountdown == kCountdownStart) {
                ++newGames;
                residue.assign(residue.size(), false); // the whole background was drawn again
            }
        }
    }
    ASSERT_GE(kills, 3);
    ASSERT_GE(deaths, 2);
    ASSERT_EQ(newGames, 1);
    ASSERT_GE(countdownFrames, 100);
    ASSERT_EQ(game.restartCountdown, kCountdownStart); // no countdown text now

    // The clean composition: the background, then this frame's drawing.
    SDL_Surface* played = screen;
    screen = SDL_DisplayFormat(played);
    ASSERT_NE(screen, nullptr);
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 0, 255));
    DrawBackground();
    DrawSprites();
    DrawHudText();
    const std::vector<Uint32> seen = ScreenColours(played);
    const std::vector<Uint32> expected = ScreenColours(screen);
    int differing = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] != expected[i] && !residue[i] && ++differing <= 10) {
            ADD_FAILURE() << "smear at " << i % 640 << "," << i / 640 << std::hex << ": " << seen[i]
                          << " instead of " << expected[i];
        }
    }
    EXPECT_EQ(differing, 0);
    SDL_FreeSurface(screen);
    screen = played;
}
