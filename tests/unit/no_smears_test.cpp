// A long scripted game leaves a screen equal, pixel for pixel, to a clean
// composition of its last state: the art's margins and erasers leave no
// trails. The one residue the never-cleared screen implies is the last image
// of a shot that the rules sent back to its owner instead of moving it.
#include "draw/render.h"
#include "game/game_state.h"
#include "game_fixture.h"
#include "sdl_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Instruction {
    int frames;
    std::initializer_list<SDLKey> held;
};

// Both players move, shoot and throw; both die; enemies are destroyed; a
// both-dead countdown runs into a new game; the game then runs on quietly.
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

struct Shot {
    const Projectile* projectile;
    SDL_Surface* ImageSet::*image;
};

struct Events {
    int kills = 0;
    int deaths = 0;
    int newGames = 0;
    int countdownFrames = 0;
};

class NoSmearsTest : public GameTest {
  protected:
    // A shot that moved more than its margin in one frame was sent back:
    // the place it was last drawn stays on screen until a new game.
    void NoteSentBackShots(const std::vector<Shot>& shots, const std::vector<SDL_Rect>& before) {
        for (std::size_t i = 0; i < shots.size(); ++i) {
            const int moveX = std::abs(shots[i].projectile->x - before[i].x);
            const int moveY = std::abs(shots[i].projectile->y - before[i].y);
            if (moveX > 3 || moveY > 3) {
                SDL_Rect last = before[i];
                last.w = static_cast<Uint16>((images.*shots[i].image)->w);
                last.h = static_cast<Uint16>((images.*shots[i].image)->h);
                residues_.push_back(last);
            }
        }
    }

    bool InResidue(int x, int y) const {
        for (const SDL_Rect& r : residues_) {
            if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) {
                return true;
            }
        }
        return false;
    }

    Events Play() {
        const std::vector<Shot> shots = {
            {&game.player1.laser, &ImageSet::player1Laser},
            {&game.player2.laser, &ImageSet::player2Laser},
            {&game.player1.grenade, &ImageSet::player1Grenade},
            {&game.player2.grenade, &ImageSet::player2Grenade},
            {&game.enemy1.laser, &ImageSet::enemy1Laser},
            {&game.enemy2.laser, &ImageSet::enemy2Laser},
        };
        Events events;
        for (const Instruction& step : kScript) {
            const KeyState keys = Keys(step.held);
            for (int i = 0; i < step.frames; ++i) {
                std::vector<SDL_Rect> before;
                for (const Shot& s : shots) {
                    before.push_back(SDL_Rect{static_cast<Sint16>(s.projectile->x),
                                              static_cast<Sint16>(s.projectile->y), 0, 0});
                }
                const GameState old = game;
                RunFrame(keys.data());
                NoteSentBackShots(shots, before);
                events.kills += (old.enemy1.dx != 0 && game.enemy1.dx == 0) +
                                (old.enemy2.dx != 0 && game.enemy2.dx == 0);
                events.deaths += (old.player1.dead == 0 && game.player1.dead == 1) +
                                 (old.player2.dead == 0 && game.player2.dead == 1);
                events.countdownFrames += old.restartCountdown != game.restartCountdown;
                if (old.restartCountdown != kCountdownStart &&
                    game.restartCountdown == kCountdownStart) {
                    ++events.newGames;
                    residues_.clear(); // the whole background was drawn again
                }
            }
        }
        return events;
    }

    std::vector<SDL_Rect> residues_;
};

} // namespace

TEST_F(NoSmearsTest, LongGameLeavesOnlySentBackShots) {
    const Events events = Play();
    ASSERT_GE(events.kills, 3);
    ASSERT_GE(events.deaths, 2);
    ASSERT_EQ(events.newGames, 1);
    ASSERT_GE(events.countdownFrames, 100);
    ASSERT_EQ(game.restartCountdown, kCountdownStart); // no countdown text now

    // The clean composition: the background, then this frame's drawing.
    SDL_Surface* played = screen;
    SDL_Surface* clean = SDL_DisplayFormat(played);
    ASSERT_NE(clean, nullptr);
    SDL_FillRect(clean, nullptr, SDL_MapRGB(clean->format, 255, 0, 255));
    screen = clean;
    DrawBackground();
    DrawSprites();
    DrawHudText();
    screen = played;

    // Only the colour is compared: blending leaves the screen's unused top
    // byte set where text once was, which nobody sees.
    const Uint32 colour = played->format->Rmask | played->format->Gmask | played->format->Bmask;
    int differing = 0;
    for (int y = 0; y < 530; ++y) {
        for (int x = 0; x < 640; ++x) {
            const Uint32 seen = PixelAt(played, x, y) & colour;
            const Uint32 expected = PixelAt(clean, x, y) & colour;
            if (seen != expected && !InResidue(x, y)) {
                if (++differing <= 10) {
                    ADD_FAILURE() << "smear at " << x << "," << y << std::hex << ": " << seen
                                  << " instead of " << expected;
                }
            }
        }
    }
    EXPECT_EQ(differing, 0);
    SDL_FreeSurface(clean);
}
