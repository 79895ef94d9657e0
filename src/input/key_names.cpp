// Key names, looked up in SDL's own table both ways.
#include "input/key_names.h"

#include <cctype>
#include <cstring>

const char* KeyName(SDLKey key) {
    return SDL_GetKeyName(key);
}

static bool SameName(std::string_view a, const char* b) {
    if (std::strlen(b) != a.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// SDL calls every key it has no name for "unknown key": that is no key.
SDLKey KeyNamed(std::string_view name) {
    const SDLKey unknown = SDLK_UNKNOWN;
    if (SameName(name, KeyName(unknown))) {
        return unknown;
    }
    for (int key = SDLK_FIRST + 1; key < SDLK_LAST; ++key) {
        if (SameName(name, KeyName(static_cast<SDLKey>(key)))) {
            return static_cast<SDLKey>(key);
        }
    }
    return unknown;
}
