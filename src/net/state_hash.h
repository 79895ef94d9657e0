// Game states as the two games of an online match compare and send them:
// every field, each a 32-bit integer, in the order the fields are declared.
#pragma once

#include "rules/game_state.h"

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kStateWords = 69;

// The 64-bit FNV-1a hash of `size` bytes.
std::uint64_t HashBytes(const void* data, std::size_t size);

// The hash of every field of the state, each as four little-endian bytes,
// in the order the fields are declared: the same on every machine.
std::uint64_t HashState(const GameState& state);

// The fields in order, and back.
void StateToWords(const GameState& state, std::int32_t words[kStateWords]);
void StateFromWords(const std::int32_t words[kStateWords], GameState* state);
