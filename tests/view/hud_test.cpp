// The HUD text on the real screen: the experience lines, the bounty tags and
// the countdown message land where the layout puts them.
#include "game_fixture.h"
#include "view/countdown.h"
#include "view/text.h"

#include <string>
#include <vector>

namespace {

struct Text {
    Point at;
    std::string text;
};

// The screen's colours after drawing these texts over what it holds.
std::vector<Uint32> WithTexts(const std::vector<Text>& texts) {
    for (const Text& t : texts) {
        DrawText(screen, hudFont, t.at.x, t.at.y, "%s", t.text.c_str());
    }
    return ScreenColours(screen);
}

struct HudCase {
    const char* name;
    Point at; // Player 1's place, exp, bounty and state
    std::int32_t exp;
    std::int32_t bounty;
    bool dead = false;
    Text expText; // and where his three texts go
    Text tag;
    Text bountyText;
};

// Player 2 stands at (260, 90) with 7 exp and a bounty of 39 in every row.
const HudCase kHudCases[] = {
    {.name = "Player 1 at (100, 200) with 75 and 12",
     .at = {100, 200},
     .exp = 75,
     .bounty = 12,
     .expText = {.at = {110, 480}, .text = "75"},
     .tag = {.at = {100, 232}, .text = "Bty:"},
     .bountyText = {.at = {132, 232}, .text = "12"}},
    {.name = "a dead player keeps his tag",
     .at = {618, 10},
     .exp = 5,
     .bounty = 3,
     .dead = true,
     .expText = {.at = {110, 480}, .text = "5"},
     .tag = {.at = {618, 42}, .text = "Bty:"},
     .bountyText = {.at = {650, 42}, .text = "3"}},
};

using HudTest = GameTest;

} // namespace

// The frame is the same sprites with exactly these texts over them, drawn
// in the pass's order.
TEST_F(HudTest, LinesAndTagsStandWhereTheLayoutPutsThem) {
    for (const HudCase& c : kHudCases) {
        SCOPED_TRACE(c.name);
        PutAt(game.player1, c.at);
        game.player1.exp = c.exp;
        game.player1.bounty = c.bounty;
        game.player1.dead = c.dead;
        PutAt(game.player2, {260, 90});
        game.player2.exp = 7;
        game.player2.bounty = 39;
        DrawBackground();
        DrawSprites(game);
        const std::vector<Uint32> expected = WithTexts({
            {.at = {1, 480}, .text = "Player1 Exp:"},
            {.at = {1, 500}, .text = "Player2 Exp:"},
            c.expText,
            {.at = {110, 500}, .text = "7"},
            c.tag,
            {.at = {260, 122}, .text = "Bty:"},
            c.bountyText,
            {.at = {292, 122}, .text = "39"},
        });
        DrawBackground();
        RenderFrame(game, FrameEvents{});
        EXPECT_TRUE(ScreenColours(screen) == expected);
    }
}

// The eraser blanks exactly its own rectangle from (300, 440), and nothing
// else; "New game in N" is written there and "seconds" at x 410 of the same
// row.
TEST_F(HudTest, CountdownEraserAndTextsStandAtX300AndY440) {
    const std::uint32_t sentinel = Rgb(18, 52, 86);
    SDL_FillRect(screen, nullptr, sentinel);
    DrawCountdown(42);
    const std::vector<Uint32> drawn = ScreenColours(screen);
    SDL_FillRect(screen, nullptr, sentinel);
    DrawImage(images.countdownEraser, 300, 440);
    const std::vector<Uint32> expected = WithTexts({
        {.at = {300, 440}, .text = "New game in 42"},
        {.at = {410, 440}, .text = "seconds"},
    });
    EXPECT_TRUE(drawn == expected);
}
