// Keys by name: the names SDL gives them (SDL_GetKeyName), such as
// "left ctrl", "right alt", "space" or "w", used in the settings file and
// in everything the game tells the player about keys.
#pragma once

#include <SDL.h>

#include <string_view>

// SDL's name of the key.
const char* KeyName(SDLKey key);

// The key SDL calls `name`, in any mix of upper and lower case; SDLK_UNKNOWN
// when SDL calls no key that.
SDLKey KeyNamed(std::string_view name);
