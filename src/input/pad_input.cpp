// Gamepad readings turned into players' actions and merged with the keys.
#include "input/pad_input.h"

#include <SDL.h>

PlayerInput PadActions(const PadReading& pad) {
    PlayerInput actions;
    actions.up = (pad.hat & SDL_HAT_UP) != 0 || pad.stickY < -kStickDeadZone;
    actions.down = (pad.hat & SDL_HAT_DOWN) != 0 || pad.stickY > kStickDeadZone;
    actions.left = (pad.hat & SDL_HAT_LEFT) != 0 || pad.stickX < -kStickDeadZone;
    actions.right = (pad.hat & SDL_HAT_RIGHT) != 0 || pad.stickX > kStickDeadZone;
    actions.laser = pad.button0;
    actions.grenade = pad.button1;
    return actions;
}

static PlayerInput Either(const PlayerInput& a, const PlayerInput& b) {
    PlayerInput both;
    both.up = a.up || b.up;
    both.down = a.down || b.down;
    both.left = a.left || b.left;
    both.right = a.right || b.right;
    both.laser = a.laser || b.laser;
    both.grenade = a.grenade || b.grenade;
    return both;
}

FrameInput CombineInput(const FrameInput& keyboard, const PadReadings& pads) {
    FrameInput input;
    input.player1 = Either(keyboard.player1, PadActions(pads.pad1));
    input.player2 = Either(keyboard.player2, PadActions(pads.pad2));
    return input;
}
