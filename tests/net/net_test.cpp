// The online messages' bytes and the state hash, with no SDL and no network.
#include "net/protocol.h"
#include "net/state_hash.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <tuple>
#include <vector>

using enum MessageType;
using std::string;
constexpr std::int32_t kMax = INT32_MAX;

// Bytes from pairs of hex digits, spaces ignored.
static std::vector<std::uint8_t> Bytes(string hex) {
    std::erase(hex, ' ');
    std::vector<std::uint8_t> bytes(hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    }
    return bytes;
}

// Bytes and the message they are, each kind at the ends of its ranges; Message{}: refused.
const Hello kHelloFields = {258, " ~23456789abcde", 0x0102030405060708, 1, 1, 4};
const string kHelloStart = "4652 01 0201 0f 207e32333435363738396162636465 0807060504030201"
                           "0100000000000000";
const string kFullStart = "4652 02 ffffff7f bfffff7f ffffff7f 40"; // up to INT32_MAX - 1
const std::tuple<const char*, string, Message> kRows[] = {
    {"hello", kHelloStart + "01 04", {kHello, kHelloFields}},
    {"inputs", "4652 02 ffffffff 01000000 02000000 02 013f", {kInputs, {}, {-1, 1, 2, 2, {1, 63}}}},
    {"64 inputs", kFullStart + string(128, '0'), {kInputs, {}, {kMax, kMax - 64, kMax, 64}}},
    {"hash", "4652 03 ffffff7f 0807060504030201", {kHash, {}, {}, kMax, 0x0102030405060708}},
    {"pause", "4652 04 00000000", {kPause, {}, {}, 0}},
    {"bye", "4652 05", {kBye}},
    {"ping", "4652 06 feffffff", {kPing, {}, {}, 0, 0, 0xfffffffe}},
    {"pong", "4652 07 04030201", {kPong, {}, {}, 0, 0, 0x01020304}},
    {"short", "4652 06 010203", {}},
    {"trailing byte", "4652 05 00", {}},
    {"bad magic", "4653 05", {}},
    {"unknown type", "4652 08", {}},
    {"count 65", "4652 02 ffffffff 00000000 00000000 41" + string(130, '0'), {}},
    {"count past the bytes", "4652 02 ffffffff 00000000 00000000 02 00", {}},
    {"bit 6 set", "4652 02 ffffffff 00000000 00000000 01 40", {}},
    {"negative firstFrame", "4652 02 ffffffff ffffffff 00000000 00", {}},
    {"last frame INT32_MAX", "4652 02 ffffffff ffffff7f 00000000 01 00", {}},
    {"hash frame -1", "4652 03 ffffffff 0000000000000000", {}},
    {"ackFrame -2", "4652 02 feffffff 00000000 00000000 00", {}},
    {"role 2", kHelloStart + "02 00", {}},
    {"delay 5", kHelloStart + "00 05", {}},
    {"version byte 7f", "4652 01 0100 02 317f" + string(36, '0'), {}},
    {"version byte 00", "4652 01 0100 02 3100" + string(36, '0'), {}},
    {"empty version", "4652 01 0100 00" + string(36, '0'), {}},
};

TEST(Protocol, DecodesExactlyWhatItEncodes) {
    for (const auto& [name, hex, expected] : kRows) {
        const std::vector<std::uint8_t> bytes = Bytes(hex);
        const bool valid = expected.type != MessageType{};
        Message decoded;
        EXPECT_EQ(DecodeMessage(bytes.data(), bytes.size(), &decoded), valid) << name;
        std::uint8_t out[kMaxMessageBytes];
        const std::size_t size = EncodeMessage(expected, out, sizeof out);
        EXPECT_EQ(std::vector(out, out + size), valid ? bytes : decltype(bytes){}) << name;
        EXPECT_TRUE(!valid || decoded == expected) << name;
        EXPECT_EQ(valid ? EncodeMessage(expected, out, size - 1) : 0, 0u) << name;
    }
    std::uint8_t out[kMaxMessageBytes];
    EXPECT_EQ(EncodeMessage({kHello, {1, ""}}, out, sizeof out), 0u);
    EXPECT_EQ(EncodeMessage({kInputs, {}, {0, 0, 0, 1, {64}}}, out, sizeof out), 0u);
}

TEST(Protocol, ActionBits) {
    EXPECT_EQ(ActionBits({.up = 1, .right = 1, .grenade = 1}), 0b101001);
    EXPECT_EQ(PlayerInputFromBits(0b11010110), (PlayerInput{.down = 1, .left = 1, .laser = 1}));
    EXPECT_EQ(ActionBits(PlayerInputFromBits(0xff)), 0b111111);
}

// Any byte of any field changes the hash; on a little-endian machine the
// fields in order are the bytes of the record, which has no padding.
TEST(StateHash, HashesEveryFieldLittleEndianInOrder) {
    GameState state;
    auto* bytes = reinterpret_cast<unsigned char*>(&state);
    for (std::size_t i = 0; i < sizeof state; ++i) {
        bytes[i] = static_cast<unsigned char>(i % 251); // no two fields alike
    }
    for (std::size_t i = 0; i < sizeof state; ++i) {
        GameState changed = state;
        reinterpret_cast<unsigned char*>(&changed)[i] ^= 0x81;
        EXPECT_NE(HashState(changed), HashState(state)) << "byte " << i;
    }
    if constexpr (std::endian::native == std::endian::little) {
        EXPECT_EQ(HashState(state), HashBytes(&state, sizeof state));
    }
    EXPECT_EQ(HashBytes("a", 1), 0xaf63dc4c8601ec8cu); // FNV-1a
}
