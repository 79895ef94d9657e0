// Fingerprints of game states, which two games playing online compare to
// find out that they no longer agree.
#pragma once

#include "rules/game_state.h"

#include <cstddef>
#include <cstdint>

// The 64-bit FNV-1a hash of `size` bytes.
std::uint64_t HashBytes(const void* data, std::size_t size);

// The hash of every field of the state, each as four little-endian bytes,
// in the order the fields are declared: the same on every machine.
std::uint64_t HashState(const GameState& state);
