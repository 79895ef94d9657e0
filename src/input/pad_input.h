// The gamepads' share of the input record: what a pad reports in a frame,
// and how its d-pad, left stick and two buttons become a player's actions.
#pragma once

#include "rules/input.h"

#include <cstdint>

// One pad as read in one frame. A pad that is absent or unplugged reads as
// all zeros, which asks for nothing.
struct PadReading {
    std::int16_t stickX = 0; // axis 0: negative left, positive right
    std::int16_t stickY = 0; // axis 1: negative up, positive down
    std::uint8_t hat = 0;    // the d-pad, hat 0, as SDL_HAT_* bits
    bool button0 = false;    // the laser
    bool button1 = false;    // the grenade

    bool operator==(const PadReading&) const = default;
};

// The first pad plays Player 1, the second Player 2.
struct PadReadings {
    PadReading pad1 = {};
    PadReading pad2 = {};

    bool operator==(const PadReadings&) const = default;
};

// A third of the stick's range on each side of the centre does nothing: a
// stick at rest seldom reads exactly 0, and a gentle push should not steer.
inline constexpr std::int16_t kStickDeadZone = 32767 / 3;

// One player's actions from his pad: the d-pad or the stick past the dead
// zone moves, each axis on its own, so that diagonals move on both.
PlayerInput PadActions(const PadReading& pad);

// The keyboard's record with each pad's actions added to its player's: an
// action is held when either the keyboard or the pad holds it.
FrameInput CombineInput(const FrameInput& keyboard, const PadReadings& pads);
