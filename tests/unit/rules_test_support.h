// Small helpers shared by the rule tests.
#pragma once

#include "game_fixture.h"

#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

using Pair = std::pair<std::int32_t, std::int32_t>;

inline constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

template <typename T> Pair Pos(const T& thing) {
    return {thing.x, thing.y};
}

// Back to the start values, for the next row of a table.
inline void Fresh() {
    game = GameState{};
    SetStartValues();
}

// Any number of held keys, none included.
inline KeyState Held(const std::vector<SDLKey>& held) {
    KeyState keys;
    for (SDLKey key : held) {
        keys.down[key] = 1;
    }
    return keys;
}
