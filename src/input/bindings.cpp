// The keyboard turned into the input record, through the one bindings table.
#include "input/bindings.h"

static PlayerInput& PlayerOf(FrameInput& input, const KeyBinding& binding) {
    return binding.player == 1 ? input.player1 : input.player2;
}

static const PlayerInput& PlayerOf(const FrameInput& input, const KeyBinding& binding) {
    return binding.player == 1 ? input.player1 : input.player2;
}

KeyMap DefaultKeyMap() {
    KeyMap map{};
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        map.keys[i] = kKeyBindings[i].key;
    }
    map.keys[kPauseKey] = SDLK_p;
    map.keys[kMuteKey] = SDLK_m;
    map.keys[kFullScreenKey] = SDLK_F11;
    map.keys[kQuitKey] = SDLK_ESCAPE;
    map.keys[kStatusKey] = SDLK_TAB;
    map.keys[kVolumeDownKey] = SDLK_MINUS;
    map.keys[kVolumeUpKey] = SDLK_EQUALS;
    return map;
}

FrameInput ReadFrameInput(const Uint8* keys, const KeyMap& map) {
    FrameInput input;
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        if (keys[map.keys[i]] != 0) {
            PlayerOf(input, kKeyBindings[i]).*kKeyBindings[i].action = true;
        }
    }
    return input;
}

FrameInput InputFromMask(std::uint32_t mask) {
    FrameInput input;
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        if (((mask >> i) & 1u) != 0) {
            PlayerOf(input, kKeyBindings[i]).*kKeyBindings[i].action = true;
        }
    }
    return input;
}

std::uint32_t MaskFromInput(const FrameInput& input) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        if (PlayerOf(input, kKeyBindings[i]).*kKeyBindings[i].action) {
            mask |= std::uint32_t{1} << i;
        }
    }
    return mask;
}

int FindBinding(std::string_view name) {
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        if (kKeyBindings[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
