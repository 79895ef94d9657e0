// The bindings table: each key stands for one action of one player, under
// the name the replay scripts use.
#include "game_fixture.h"

#include <cstdint>

namespace {

struct BindingCase {
    const char* name; // the key's name in scripts
    SDLKey key;
    FrameInput input; // the record with this key alone held
};

const BindingCase kBindingCases[] = {
    {.name = "up", .key = SDLK_UP, .input = {.player1 = {.up = true}}},
    {.name = "down", .key = SDLK_DOWN, .input = {.player1 = {.down = true}}},
    {.name = "left", .key = SDLK_LEFT, .input = {.player1 = {.left = true}}},
    {.name = "right", .key = SDLK_RIGHT, .input = {.player1 = {.right = true}}},
    {.name = "space", .key = SDLK_SPACE, .input = {.player1 = {.laser = true}}},
    {.name = "ralt", .key = SDLK_RALT, .input = {.player1 = {.grenade = true}}},
    {.name = "w", .key = SDLK_w, .input = {.player2 = {.up = true}}},
    {.name = "s", .key = SDLK_s, .input = {.player2 = {.down = true}}},
    {.name = "a", .key = SDLK_a, .input = {.player2 = {.left = true}}},
    {.name = "d", .key = SDLK_d, .input = {.player2 = {.right = true}}},
    {.name = "lctrl", .key = SDLK_LCTRL, .input = {.player2 = {.laser = true}}},
    {.name = "lshift", .key = SDLK_LSHIFT, .input = {.player2 = {.grenade = true}}},
};

} // namespace

TEST(Bindings, EachKeyStandsForOneActionOfOnePlayer) {
    for (const BindingCase& c : kBindingCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Keys({c.key}), c.input);
        const int index = FindBinding(c.name);
        ASSERT_GE(index, 0);
        EXPECT_EQ(kKeyBindings[index].key, c.key);
        EXPECT_EQ(InputFromMask(std::uint32_t{1} << index), c.input);
        EXPECT_EQ(MaskFromInput(c.input), std::uint32_t{1} << index);
    }
    EXPECT_EQ(kKeyBindingCount, std::size(kBindingCases));
}

TEST(Bindings, OtherKeysAreNoPlayersAction) {
    for (SDLKey key : {SDLK_ESCAPE, SDLK_RETURN, SDLK_RSHIFT, SDLK_RCTRL, SDLK_LALT, SDLK_x}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(Keys({key}), FrameInput{});
    }
    EXPECT_EQ(kQuitKey, SDLK_ESCAPE);
}
