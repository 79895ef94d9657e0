// The gamepads through SDL 1.2's joystick API: the first two pads present
// at start-up, read once a frame.
#pragma once

#include "input/pad_input.h"

// Starts SDL's joystick subsystem and opens the first two pads. Without a
// pad, or without joystick support, the game simply plays on the keyboard.
void OpenGamepads();

// The open pads' sticks, d-pads and buttons now. A pad that was never there
// or has been unplugged reads as at rest.
PadReadings ReadGamepads();

// Closes the pads and the joystick subsystem.
void CloseGamepads();
