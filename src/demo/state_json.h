// The game state of one frame as one line of JSON.
#pragma once

#include "rules/game_state.h"

#include <cstddef>
#include <cstdint>

// Room a caller must leave for one line: every number at its widest (a
// 64-bit frame number, 32-bit fields) still fits.
inline constexpr std::size_t kMaxStateJsonLength = 2048;

// Writes {"frame":N,...} and a newline at `out`, which has room for
// kMaxStateJsonLength bytes, and returns the end of what it wrote. No NUL.
char* FormatStateJson(char* out, std::int64_t frame, const GameState& state);
