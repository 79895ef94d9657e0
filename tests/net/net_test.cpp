// The online messages' bytes and the state hash, with no SDL and no network.
#include "net/protocol.h"
#include "net/state_hash.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
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
const Hello kHelloFields = {258, " ~23456789abcde", 0x0102030405060708, 1, 1, 4, 0x0201};
const string kHelloStart = "4652 01 0201 0f 207e32333435363738396162636465 0807060504030201"
                           "0100000000000000";
const string kFullStart =
    "4652 02 ffffff7f bfffff7f ffffff7f ffffff7f ffffff7f ffffffffffffffff 40";
const Inputs kFull = {kMax, kMax - 64, kMax, kMax, kMax, ~0ull, 64}; // up to INT32_MAX - 1
const string kInputs0 = "4652 02 ffffffff 00000000 00000000 ffffffff ffffffff 0000000000000000";
const std::tuple<const char*, string, Message> kRows[] = {
    {"hello", kHelloStart + "01 04 0102", {kHello, kHelloFields}},
    {"inputs",
     "4652 02 ffffffff 01000000 02000000 ffffffff 03000000 0807060504030201 02 013f",
     {kInputs, {}, {-1, 1, 2, -1, 3, 0x0102030405060708, 2, {1, 63}}}},
    {"64 inputs", kFullStart + string(128, '0'), {kInputs, {}, kFull}},
    {"pause", "4652 03 00000000", {kPause, {}, {}, 0}},
    {"resume", "4652 04", {kResume}},
    {"bye", "4652 05 02000000", {kBye, {}, {}, 2}},
    {"desync", "4652 06 ffffff7f", {kDesync, {}, {}, kMax}},
    {"state",
     "4652 07 05000000 0807060504030201" + string(552, '0'),
     {kState, {}, {}, 0, {5, 0x0102030405060708}}},
    {"confirmed",
     "4652 08 02000000 02 3f00 003f",
     {kConfirmed, {}, {}, 0, {}, {2, 2, {63, 0x3f00}}}},
    {"state frame -1", "4652 07 ffffffff 0000000000000000" + string(552, '0'), {}},
    {"confirmed bit 14", "4652 08 00000000 01 0040", {}},
    {"short", "4652 03 010203", {}},
    {"trailing byte", "4652 04 00", {}},
    {"bad magic", "4653 04", {}},
    {"unknown type", "4652 09", {}},
    {"count 65", kInputs0 + "41" + string(130, '0'), {}},
    {"count past the bytes", kInputs0 + "02 00", {}},
    {"bit 6 set", kInputs0 + "01 40", {}},
    {"negative firstFrame",
     "4652 02 ffffffff ffffffff 00000000 ffffffff ffffffff 0000000000000000 00",
     {}},
    {"last frame INT32_MAX",
     "4652 02 ffffffff ffffff7f 00000000 ffffffff ffffffff 0000000000000000 01 00",
     {}},
    {"ackFrame -2", "4652 02 feffffff 00000000 00000000 ffffffff ffffffff 0000000000000000 00", {}},
    {"receivedFrame -2",
     "4652 02 ffffffff 00000000 00000000 feffffff ffffffff 0000000000000000 00",
     {}},
    {"checkedFrame -2",
     "4652 02 ffffffff 00000000 00000000 ffffffff feffffff 0000000000000000 00",
     {}},
    {"bye frame -1", "4652 05 ffffffff", {}},
    {"role 3", kHelloStart + "03 00 0000", {}},
    {"delay 5", kHelloStart + "00 05 0000", {}},
    {"version byte 7f", "4652 01 0100 02 317f" + string(40, '0'), {}},
    {"version byte 00", "4652 01 0100 02 3100" + string(40, '0'), {}},
    {"empty version", "4652 01 0100 00" + string(40, '0'), {}},
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
    EXPECT_EQ(EncodeMessage({kInputs, {}, {0, 0, 0, -1, -1, 0, 1, {64}}}, out, sizeof out), 0u);
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
    std::int32_t words[kStateWords];
    StateToWords(state, words);
    GameState back;
    StateFromWords(words, &back);
    EXPECT_EQ(HashState(back), HashState(state));
    EXPECT_EQ(std::memcmp(&back, &state, sizeof state), 0);
    if constexpr (std::endian::native == std::endian::little) {
        EXPECT_EQ(HashState(state), HashBytes(&state, sizeof state));
    }
    EXPECT_EQ(HashBytes("a", 1), 0xaf63dc4c8601ec8cu); // FNV-1a
}
