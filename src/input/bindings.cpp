// The keyboard turned into the input record, through the one bindings table.
#include "input/bindings.h"

static PlayerInput& PlayerOf(FrameInput& input, const KeyBinding& binding) {
    return binding.player == 1 ? input.player1 : input.player2;
}

static const PlayerInput& PlayerOf(const FrameInput& input, const KeyBinding& binding) {
    return binding.player == 1 ? input.player1 : input.player2;
}

FrameInput ReadFrameInput(const Uint8* keys) {
    FrameInput input;
    for (const KeyBinding& binding : kKeyBindings) {
        if (keys[binding.key] != 0) {
            PlayerOf(input, binding).*binding.action = true;
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
