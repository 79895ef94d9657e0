// The thin SDL part of the gamepads: open, poll, close.
#include "input/gamepads.h"

#include <SDL.h>

// The pads of Player 1 and Player 2; null where there is none.
static SDL_Joystick* pads[2] = {nullptr, nullptr};

void OpenGamepads() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
        return;
    }
    // The pads are polled each frame, so their events would only fill the
    // queue for the drain to throw away.
    SDL_JoystickEventState(SDL_IGNORE);
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < 2 && i < count; ++i) {
        pads[i] = SDL_JoystickOpen(i);
    }
}

// An unplugged pad's handle stays valid: SDL reports it at rest.
static PadReading ReadPad(SDL_Joystick* pad) {
    PadReading reading;
    if (pad == nullptr) {
        return reading;
    }
    if (SDL_JoystickNumAxes(pad) >= 2) {
        reading.stickX = SDL_JoystickGetAxis(pad, 0);
        reading.stickY = SDL_JoystickGetAxis(pad, 1);
    }
    if (SDL_JoystickNumHats(pad) >= 1) {
        reading.hat = SDL_JoystickGetHat(pad, 0);
    }
    const int buttons = SDL_JoystickNumButtons(pad);
    reading.button0 = buttons >= 1 && SDL_JoystickGetButton(pad, 0) != 0;
    reading.button1 = buttons >= 2 && SDL_JoystickGetButton(pad, 1) != 0;
    return reading;
}

PadReadings ReadGamepads() {
    PadReadings readings;
    if (pads[0] == nullptr) {
        return readings;
    }
    SDL_JoystickUpdate();
    readings.pad1 = ReadPad(pads[0]);
    readings.pad2 = ReadPad(pads[1]);
    return readings;
}

void CloseGamepads() {
    for (SDL_Joystick*& pad : pads) {
        if (pad != nullptr) {
            SDL_JoystickClose(pad);
            pad = nullptr;
        }
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}
