// The key bindings: the one table that turns the keyboard into the frame's
// input record, and every other key the game reacts to.
#pragma once

#include "rules/input.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

// Which player, and which of his actions, a key stands for by default.
// Demos and replay scripts name the action by that key, whatever key the
// player has bound to it.
struct KeyBinding {
    SDLKey key;
    int player; // 1 or 2
    bool PlayerInput::*action;
    std::string_view name; // its name in replay scripts and demos
};

// Player 1: the arrows, Space for the laser and Right Alt for the grenade.
// Player 2: W, A, S, D, Left Ctrl for the laser and Left Shift for the
// grenade. The order is that of the replay script's key mask.
inline constexpr KeyBinding kKeyBindings[] = {
    {SDLK_UP, 1, &PlayerInput::up, "up"},
    {SDLK_DOWN, 1, &PlayerInput::down, "down"},
    {SDLK_LEFT, 1, &PlayerInput::left, "left"},
    {SDLK_RIGHT, 1, &PlayerInput::right, "right"},
    {SDLK_w, 2, &PlayerInput::up, "w"},
    {SDLK_a, 2, &PlayerInput::left, "a"},
    {SDLK_s, 2, &PlayerInput::down, "s"},
    {SDLK_d, 2, &PlayerInput::right, "d"},
    {SDLK_SPACE, 1, &PlayerInput::laser, "space"},
    {SDLK_LCTRL, 2, &PlayerInput::laser, "lctrl"},
    {SDLK_LSHIFT, 2, &PlayerInput::grenade, "lshift"},
    {SDLK_RALT, 1, &PlayerInput::grenade, "ralt"},
};

inline constexpr std::size_t kKeyBindingCount = sizeof(kKeyBindings) / sizeof(kKeyBindings[0]);

// The other keys the game reacts to, handled by the event drain rather than
// the input record, numbered after the actions in a key map.
enum ControlKey : int {
    kPauseKey = static_cast<int>(kKeyBindingCount), // pauses and resumes
    kMuteKey,                                       // mutes and unmutes
    kFullScreenKey,                                 // between the window and full screen
    kQuitKey,                                       // ends the game
    kStatusKey,                                     // online, shows and hides the status line
    kVolumeDownKey,
    kVolumeUpKey,
    kKeyMapSize
};

// The key of each action (indexed as kKeyBindings) and of each control
// (indexed by ControlKey): the keys in force, whatever the player chose.
struct KeyMap {
    SDLKey keys[kKeyMapSize];
};

// The bindings table's keys, then P, M, F11, Escape, Tab, - and =.
KeyMap DefaultKeyMap();

// The record of the keys held in `keys`, an array indexed by key symbol as
// SDL_GetKeyState returns it, each action read from its key in `map`.
FrameInput ReadFrameInput(const Uint8* keys, const KeyMap& map);

// The record with the actions of the bindings whose bits are set in `mask`
// (bit i for kKeyBindings[i]), and back.
FrameInput InputFromMask(std::uint32_t mask);
std::uint32_t MaskFromInput(const FrameInput& input);

// The binding called `name`, as an index into kKeyBindings, or -1.
int FindBinding(std::string_view name);
