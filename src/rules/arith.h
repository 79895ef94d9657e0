// Defined arithmetic for the few game values that have no bound of their own.
#pragma once

#include <cstdint>
#include <limits>

// Positions that can run without limit (the carried flag, a destroyed
// enemy's laser, a grenade whose key stays held) wrap as two's complement
// instead of overflowing.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

inline std::int32_t Clamp32(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : (value > hi ? hi : value));
}

// Scores stop at the largest 32-bit value instead of overflowing.
inline std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    return Clamp32(static_cast<std::int64_t>(a) + b);
}
