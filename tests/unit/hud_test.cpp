// The HUD text on the real screen: the experience lines and the bounty tags
// land where the layout puts them, and a tag at the right edge is clipped.
#include "font/text.h"
#include "game_fixture.h"

#include <string>
#include <vector>

namespace {

struct Text {
    int x, y;
    std::string text;
};

// The screen after the sprite pass, with exactly the given texts on it.
std::vector<Uint32> Expected(const std::vector<Text>& texts) {
    DrawSprites();
    for (const Text& t : texts) {
        DrawText(screen, hudFont, t.x, t.y, "%s", t.text.c_str());
    }
    return ScreenColours(screen);
}

using HudTest = GameTest;

} // namespace

TEST_F(HudTest, LinesAndTagsStandWhereTheLayoutPutsThem) {
    struct Case {
        int x, y, exp, bounty;
        std::vector<Text> player1Texts; // besides Player 2's, which stay put
    };
    const std::vector<Case> cases = {
        {100, 200, 75, 12, {{110, 480, "75"}, {100, 232, "Bty:"}, {132, 232, "12"}}},
        {0, 448, 0, 0, {{110, 480, "0"}, {0, 480, "Bty:"}, {32, 480, "0"}}}, // tag on row 480
        {608, 300, -7, 2147483647, {{110, 480, "-7"}, {608, 332, "Bty:"}}},  // value off-screen
        {618, 10, 5, 3, {{110, 480, "5"}, {618, 42, "Bty:"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        game.player1.x = c.x;
        game.player1.y = c.y;
        game.player1.exp = c.exp;
        game.player1.bounty = c.bounty;
        std::vector<Text> texts = {{1, 480, "Player1 Exp:"},
                                   {1, 500, "Player2 Exp:"},
                                   {110, 500, "0"},
                                   {50, 82, "Bty:"},
                                   {82, 82, "0"}};
        texts.insert(texts.end(), c.player1Texts.begin(), c.player1Texts.end());
        DrawBackground();
        const std::vector<Uint32> expected = Expected(texts);
        DrawBackground();
        DrawSprites();
        DrawHudText();
        const std::vector<Uint32> drawn = ScreenColours(screen);
        int differing = 0;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            differing += drawn[i] != expected[i];
        }
        EXPECT_EQ(differing, 0);
    }
}
