// The gamepad mapping: d-pad, stick with its dead zone, buttons, both pads,
// and pads combined with the keyboard.
#include "input/pad_input.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <ostream>

// What gtest prints for a mismatch; found by argument-dependent lookup.
static std::ostream& operator<<(std::ostream& out, const PlayerInput& p) {
    return out << "{up " << p.up << " down " << p.down << " left " << p.left << " right " << p.right
               << " laser " << p.laser << " grenade " << p.grenade << "}";
}

namespace {

TEST(PadActions, TheDpadTheStickPastItsDeadZoneAndTwoButtonsAct) {
    struct Case {
        const char* name = "";
        PadReading pad = {};
        PlayerInput actions = {};
    };
    const Case cases[] = {
        {.name = "a pad at rest asks for nothing", .pad = {}, .actions = {}},
        {.name = "d-pad up", .pad = {.hat = SDL_HAT_UP}, .actions = {.up = true}},
        {.name = "d-pad left", .pad = {.hat = SDL_HAT_LEFT}, .actions = {.left = true}},
        {.name = "d-pad diagonal down and right",
         .pad = {.hat = SDL_HAT_RIGHTDOWN},
         .actions = {.down = true, .right = true}},
        {.name = "d-pad diagonal up and left",
         .pad = {.hat = SDL_HAT_LEFTUP},
         .actions = {.up = true, .left = true}},
        {.name = "stick a third of the way right and up: still in the dead zone",
         .pad = {.stickX = 10922, .stickY = -10922},
         .actions = {}},
        {.name = "stick a third of the way left and down: still in the dead zone",
         .pad = {.stickX = -10922, .stickY = 10922},
         .actions = {}},
        {.name = "stick just past the dead zone to the right",
         .pad = {.stickX = 10923, .stickY = 0},
         .actions = {.right = true}},
        {.name = "stick just past the dead zone upwards",
         .pad = {.stickX = 0, .stickY = -10923},
         .actions = {.up = true}},
        {.name = "stick just past the dead zone to the left and down",
         .pad = {.stickX = -10923, .stickY = 10923},
         .actions = {.down = true, .left = true}},
        {.name = "stick fully left",
         .pad = {.stickX = -32768, .stickY = 0},
         .actions = {.left = true}},
        {.name = "stick fully down",
         .pad = {.stickX = 0, .stickY = 32767},
         .actions = {.down = true}},
        {.name = "stick diagonal down and left, both axes past the dead zone",
         .pad = {.stickX = -23170, .stickY = 23170},
         .actions = {.down = true, .left = true}},
        {.name = "stick pushed up and a little right: up only",
         .pad = {.stickX = 9000, .stickY = -30000},
         .actions = {.up = true}},
        {.name = "d-pad and stick add up",
         .pad = {.stickX = 20000, .stickY = 0, .hat = SDL_HAT_UP},
         .actions = {.up = true, .right = true}},
        {.name = "button 0 fires the laser", .pad = {.button0 = true}, .actions = {.laser = true}},
        {.name = "button 1 throws the grenade",
         .pad = {.button1 = true},
         .actions = {.grenade = true}},
        {.name = "moving and both buttons",
         .pad = {.stickX = -12000, .hat = SDL_HAT_DOWN, .button0 = true, .button1 = true},
         .actions = {.down = true, .left = true, .laser = true, .grenade = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PadActions(c.pad), c.actions);
    }
}

TEST(CombineInput, EachPadActsForItsPlayerAlongsideTheKeyboard) {
    struct Case {
        const char* name = "";
        FrameInput keyboard = {};
        PadReadings pads = {};
        FrameInput combined = {};
    };
    const Case cases[] = {
        {.name = "no keys, pads at rest", .keyboard = {}, .pads = {}, .combined = {}},
        {.name = "the keyboard alone is kept",
         .keyboard = {.player1 = {.up = true, .laser = true}, .player2 = {.left = true}},
         .pads = {},
         .combined = {.player1 = {.up = true, .laser = true}, .player2 = {.left = true}}},
        {.name = "the first pad plays Player 1",
         .keyboard = {},
         .pads = {.pad1 = {.hat = SDL_HAT_RIGHT, .button1 = true}},
         .combined = {.player1 = {.right = true, .grenade = true}}},
        {.name = "the second pad plays Player 2",
         .keyboard = {},
         .pads = {.pad2 = {.stickX = 0, .stickY = 32767, .button0 = true}},
         .combined = {.player2 = {.down = true, .laser = true}}},
        {.name = "both pads at once, each for its player",
         .keyboard = {},
         .pads = {.pad1 = {.stickX = -32768, .button0 = true}, .pad2 = {.hat = SDL_HAT_LEFTUP}},
         .combined = {.player1 = {.left = true, .laser = true},
                      .player2 = {.up = true, .left = true}}},
        {.name = "pad and keyboard add up for one player",
         .keyboard = {.player1 = {.down = true}},
         .pads = {.pad1 = {.hat = SDL_HAT_RIGHT, .button0 = true}},
         .combined = {.player1 = {.down = true, .right = true, .laser = true}}},
        {.name = "the same action from both is held once",
         .keyboard = {.player2 = {.up = true, .grenade = true}},
         .pads = {.pad2 = {.stickY = -20000, .button1 = true}},
         .combined = {.player2 = {.up = true, .grenade = true}}},
        {.name = "Player 1 on the keyboard, Player 2 on the second pad",
         .keyboard = {.player1 = {.left = true, .grenade = true}},
         .pads = {.pad2 = {.stickX = 15000, .stickY = 15000}},
         .combined = {.player1 = {.left = true, .grenade = true},
                      .player2 = {.down = true, .right = true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameInput combined = CombineInput(c.keyboard, c.pads);
        EXPECT_EQ(combined.player1, c.combined.player1);
        EXPECT_EQ(combined.player2, c.combined.player2);
    }
}

} // namespace
