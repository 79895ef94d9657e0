// The frame on the real screen: the sprite pass, the counts and the HUD text where the layout
// puts them, and the erase leaving no smear.
#include "demo/script.h"
#include "game_fixture.h"
#include "view/drawn_areas.h"
#include "view/text.h"

#include <cstring>

namespace {

PlayerState& p1 = game.player1;
PlayerState& p2 = game.player2;
EnemyState& e1 = game.enemy1;
EnemyState& e2 = game.enemy2;
Projectile& g1 = game.player1.grenade;
Projectile& g2 = game.player2.grenade;

// The sprite pass in drawing order: the slot and the state fields that place it, `dy` rows
// above the sprite; a sprite without fields stands at `fixed`.
struct Sprite {
    const char* name;
    SDL_Surface* ImageSet::*slot;
    std::int32_t* x = nullptr;
    std::int32_t* y = nullptr;
    std::int32_t dy = 0;
    Point fixed = {0, 0};
};
const Sprite kPass[] = {
    {.name = "home patch", .slot = &ImageSet::background},
    {.name = "tag plate 1", .slot = &ImageSet::player1TagEraser, .x = &p1.x, .y = &p1.y, .dy = 32},
    {.name = "tag plate 2", .slot = &ImageSet::player2TagEraser, .x = &p2.x, .y = &p2.y, .dy = 32},
    {.name = "laser 1", .slot = &ImageSet::player1Laser, .x = &p1.laser.x, .y = &p1.laser.y},
    {.name = "laser 2", .slot = &ImageSet::player2Laser, .x = &p2.laser.x, .y = &p2.laser.y},
    {.name = "enemy laser 1", .slot = &ImageSet::enemy1Laser, .x = &e1.laser.x, .y = &e1.laser.y},
    {.name = "enemy laser 2", .slot = &ImageSet::enemy2Laser, .x = &e2.laser.x, .y = &e2.laser.y},
    {.name = "grenade 1", .slot = &ImageSet::player1Grenade, .x = &g1.x, .y = &g1.y},
    {.name = "grenade 2", .slot = &ImageSet::player2Grenade, .x = &g2.x, .y = &g2.y},
    {.name = "Player 1", .slot = &ImageSet::player1Body, .x = &p1.x, .y = &p1.y},
    {.name = "Player 2", .slot = &ImageSet::player2Body, .x = &p2.x, .y = &p2.y},
    {.name = "enemy 1", .slot = &ImageSet::enemy1Body, .x = &e1.x, .y = &e1.y},
    {.name = "enemy 2", .slot = &ImageSet::enemy2Body, .x = &e2.x, .y = &e2.y},
    {.name = "blue flag", .slot = &ImageSet::blueFlag, .x = &game.blueFlagX, .y = &game.blueFlagY},
    {.name = "red flag", .slot = &ImageSet::redFlag, .x = &game.redFlagX, .y = &game.redFlagY},
    {.name = "corpse 1", .slot = &ImageSet::player1Corpse, .x = &p1.corpseX, .y = &p1.corpseY},
    {.name = "corpse 2", .slot = &ImageSet::player2Corpse, .x = &p2.corpseX, .y = &p2.corpseY},
    {.name = "wreck 1", .slot = &ImageSet::enemy1Wreck, .x = &e1.wreckX, .y = &e1.wreckY},
    {.name = "wreck 2", .slot = &ImageSet::enemy2Wreck, .x = &e2.wreckX, .y = &e2.wreckY},
    {.name = "roadblock", .slot = &ImageSet::roadblock, .fixed = {128, 222}},
    {.name = "blast 1", .slot = &ImageSet::player1Blast, .x = &p1.blastX, .y = &p1.blastY},
    {.name = "blast 2", .slot = &ImageSet::player2Blast, .x = &p2.blastX, .y = &p2.blastY},
    {.name = "HUD panel", .slot = &ImageSet::hudEraser, .fixed = {1, 430}},
};

// Places the sprite to land at `at`, set 65536 off on each axis: only the low 16 bits of a
// place reach SDL. A fixed sprite stays. Returns where the sprite lands.
Point Place(const Sprite& sprite, Point at) {
    if (sprite.x == nullptr) {
        return sprite.fixed;
    }
    *sprite.x = at.x + 65536;
    *sprite.y = at.y - sprite.dy - 65536;
    return at;
}

// The first pixel, counted row by row, whose colour differs between two 640x530 screens, or
// -1. The unused top byte, which blending sets where text was, is not compared.
int FirstDifference(SDL_Surface* a, SDL_Surface* b) {
    for (int y = 0; y < 530; ++y) {
        const auto* rowA = static_cast<const std::uint8_t*>(a->pixels) + y * a->pitch;
        const auto* rowB = static_cast<const std::uint8_t*>(b->pixels) + y * b->pitch;
        if (std::memcmp(rowA, rowB, 640 * sizeof(std::uint32_t)) == 0) {
            continue;
        }
        for (int x = 0; x < 640; ++x) {
            if (((PixelAt(a, x, y) ^ PixelAt(b, x, y)) & 0xFFFFFF) != 0) {
                return y * 640 + x;
            }
        }
    }
    return -1;
}

using FrameTest = GameTest;

} // namespace

// Each sprite, 3x2 and yellow, and the one before it, 40x40 and blue, land at one point: the
// yellow one once, exactly there, over the blue one.
TEST_F(FrameTest, EachSpriteLandsAtItsPlaceOverTheOneBefore) {
    const ImageSet loaded = images;
    SDL_Surface* blue = SolidSurface(40, 40, 0, 0, 255);
    SDL_Surface* yellow = SolidSurface(3, 2, 255, 255, 0);
    for (std::size_t i = 1; i < std::size(kPass); ++i) {
        SCOPED_TRACE(kPass[i].name);
        images = ImageSet{};
        images.*kPass[i - 1].slot = blue;
        images.*kPass[i].slot = yellow;
        // both land at (230, 160), or at the fixed place of one of them
        Point at = Place(kPass[i], {230, 160});
        at = Place(kPass[i - 1], at);
        Place(kPass[i], at);
        SDL_FillRect(screen, nullptr, 0);
        DrawSprites(game);
        EXPECT_EQ(PixelAt(screen, at.x, at.y), Rgb(255, 255, 0));
        EXPECT_EQ(PixelAt(screen, at.x + 2, at.y + 1), Rgb(255, 255, 0));
        EXPECT_EQ(CountPixels(Rgb(255, 255, 0)), 6);
        EXPECT_EQ(PixelAt(screen, at.x + 39, at.y + 39), Rgb(0, 0, 255));
    }
    images = loaded;
    SDL_FreeSurface(blue);
    SDL_FreeSurface(yellow);
}

// Player 1 at (100, 200) with 75 exp and a bounty of 12, Player 2, dead, at (260, 90) with 7
// and 39, and the counts 5 then 42: the frame is the background, the last count on its panel
// unless a new game painted over it, the sprites, then the texts.
TEST_F(FrameTest, RenderFrameDrawsTheLastCountThenTheSpritesThenTheTexts) {
    game.player1.x = 100;
    game.player1.y = 200;
    game.player1.exp = 75;
    game.player1.bounty = 12;
    game.player2.x = 260;
    game.player2.y = 90;
    game.player2.exp = 7;
    game.player2.bounty = 39;
    game.player2.dead = 1;
    FrameEvents events;
    events.countdownsShown[0] = 5;
    events.countdownsShown[1] = 42;
    events.countdownCount = 2;
    for (bool newGame : {false, true}) {
        SCOPED_TRACE(newGame ? "a new game" : "two counts");
        DrawBackground();
        if (!newGame) {
            DrawImage(images.countdownEraser, 300, 440);
            DrawText(screen, hudFont, 300, 440, "New game in 42");
            DrawText(screen, hudFont, 410, 440, "seconds");
        }
        DrawSprites(game);
        DrawText(screen, hudFont, 1, 480, "Player1 Exp:");
        DrawText(screen, hudFont, 1, 500, "Player2 Exp:");
        DrawText(screen, hudFont, 110, 480, "75");
        DrawText(screen, hudFont, 110, 500, "7");
        DrawText(screen, hudFont, 100, 232, "Bty:");
        DrawText(screen, hudFont, 260, 122, "Bty:");
        DrawText(screen, hudFont, 132, 232, "12");
        DrawText(screen, hudFont, 292, 122, "39");
        const std::vector<std::uint32_t> expected = ScreenColours(screen);
        events.newGame = newGame;
        RenderFrame(game, events);
        EXPECT_TRUE(ScreenColours(screen) == expected);
    }
}

// Both players move, shoot and throw, enemies are destroyed, both players die, the countdown
// runs into a new game, and the game runs on quietly.
constexpr const char* kLongGame = R"(
200 right down d s
300 right space s lshift
300 down space d lctrl
400 left ralt w lshift
400 up space a lctrl
300 down right
600 ralt
900
)";

// Player 1's tag has no plate, and before the game more areas are drawn than the notes hold:
// every flip shows exactly the background and that frame's drawing, composed afresh.
TEST_F(FrameTest, EveryFlipShowsTheBackgroundAndThatFrameOnly) {
    std::vector<Instruction> script;
    ScriptError error;
    ASSERT_TRUE(ParseScript(kLongGame, &script, &error)) << error.problem;
    SDL_FreeSurface(images.player1TagEraser);
    images.player1TagEraser = nullptr;
    for (int i = 0; i < kDrawnAreaCapacity; ++i) {
        DrawImage(images.enemy1Laser, 2 * i, 3 * i % 400);
    }
    SDL_Surface* bar = SolidSurface(256, 2, 255, 0, 0); // 256 wide, as no sprite is
    DrawImage(bar, 0, 0);
    SDL_FreeSurface(bar);
    SDL_Surface* display = screen;
    SDL_Surface* fresh = SDL_DisplayFormat(screen);
    int frame = 0;
    int kills = 0;
    int deaths = 0;
    int newGames = 0;
    for (const Instruction& step : script) {
        for (int i = 0; i < step.count; ++i) {
            const FrameEvents events = RunFrame(InputFromMask(step.keyMask));
            frame += 1;
            kills += events.player1.kills + events.player2.kills;
            deaths += events.player1.died + events.player2.died;
            newGames += events.newGame;
            const DrawnAreas notes = drawnAreas;
            screen = fresh;
            DrawBackground();
            ShowCountdowns(events);
            DrawSprites(game);
            DrawHudText(game);
            screen = display;
            drawnAreas = notes;
            ASSERT_EQ(FirstDifference(screen, fresh), -1) << "frame " << frame;
        }
    }
    SDL_FreeSurface(fresh);
    EXPECT_GE(kills, 3);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(newGames, 1);
}
