// The messages two games exchange when playing online, and their bytes on
// the wire. Every message is 'F', 'R', a type byte, then the type's fields
// in a fixed order, each little-endian, with nothing after them. A message
// has exactly one encoding: decoding accepts only what encoding writes.
#pragma once

#include "net/state_hash.h"
#include "rules/input.h"

#include <cstddef>
#include <cstdint>

// A fixed port players can forward on their router. Like every port from
// 32768 to 60999 it may be handed out by Linux to another program's UDP
// socket; then OpenHost fails and the player picks another port.
inline constexpr std::uint16_t kDefaultPort = 47810;

inline constexpr int kMaxInputsPerPacket = 64;
inline constexpr std::size_t kMaxVersionLength = 15;
// More than the longest message, a State (291 bytes).
inline constexpr std::size_t kMaxMessageBytes = 320;

enum class MessageType : std::uint8_t {
    kHello = 1,
    kInputs,
    kPause,
    kResume,
    kBye,
    kDesync,
    kState,
    kConfirmed
};

// The first message each side sends. The game version is a NUL-terminated
// string of 1 to 15 printable ASCII characters (0x20 to 0x7e); role is 0 for
// the host, 1 for the joiner, 2 for a watcher; inputDelay is in frames, 0 to 4;
// roundTripMs is how long the joiner's connection took to be answered.
struct Hello {
    std::uint16_t protocol = 0;
    char gameVersion[kMaxVersionLength + 1] = {};
    std::uint64_t rulesHash = 0;
    std::uint64_t token = 0;
    std::uint8_t role = 0;
    std::uint8_t inputDelay = 0;
    std::uint16_t roundTripMs = 0;

    bool operator==(const Hello&) const = default;
};

// The sender's inputs of frames firstFrame to firstFrame + count - 1, one
// byte of action bits each, and the last frame of the receiver's inputs the
// sender holds with none missing before it (-1 for none yet). For keeping
// in time: the frame the sender is at, and the senderFrame of the last
// Inputs it received (-1 for none). For finding a desync: the hash of the
// sender's states chained up to its last confirmed frame (-1 for none).
struct Inputs {
    std::int32_t ackFrame = -1;
    std::int32_t firstFrame = 0;
    std::int32_t senderFrame = 0;
    std::int32_t receivedFrame = -1;
    std::int32_t checkedFrame = -1;
    std::uint64_t checkedHash = 0;
    std::uint8_t count = 0;
    std::uint8_t actions[kMaxInputsPerPacket] = {};

    bool operator==(const Inputs&) const = default;
};

// A whole game state: the state after `frame`, and the sender's states
// chained up to it (see Inputs). A word may be any value: scores grow and
// some positions wrap.
struct Snapshot {
    std::int32_t frame = 0;
    std::uint64_t chain = 0;
    std::int32_t words[kStateWords] = {};

    bool operator==(const Snapshot&) const = default;
};

// Both players' inputs of frames firstFrame to firstFrame + count - 1, as
// settled: Player 1's action bits in bits 0 to 5, Player 2's in 8 to 13.
struct Confirmed {
    std::int32_t firstFrame = 0;
    std::uint8_t count = 0;
    std::uint16_t records[kMaxInputsPerPacket] = {};

    bool operator==(const Confirmed&) const = default;
};

// One message: `type` says which of the other fields it carries. kHello
// carries hello, kInputs inputs; kPause (the frame the sender stops
// before), kBye (the frame the game ends before) and kDesync (the frame
// whose hashes differ) carry frame; kResume nothing; kState snapshot,
// kConfirmed confirmed. A decoded message has every field it does not
// carry at its default value.
struct Message {
    MessageType type{}; // none by default: such a message encodes to nothing
    Hello hello = {};
    Inputs inputs = {};
    std::int32_t frame = 0;
    Snapshot snapshot = {};
    Confirmed confirmed = {};

    bool operator==(const Message&) const = default;
};

// Bytes to a message: false for anything but exactly one valid message
// (too short, too long, a bad magic or type, a field out of its range or
// bits that must be zero), leaving *out unspecified.
bool DecodeMessage(const std::uint8_t* data, std::size_t size, Message* out);

// A message to bytes: the number written, 0 if the message is invalid or
// does not fit in `capacity` bytes.
std::size_t EncodeMessage(const Message& message, std::uint8_t* buffer, std::size_t capacity);

// One player's input as the six action bits of the wire (bit 0 up, 1 down,
// 2 left, 3 right, 4 laser, 5 grenade) and back; bits 6 and 7 are ignored.
std::uint8_t ActionBits(const PlayerInput& input);
PlayerInput PlayerInputFromBits(std::uint8_t bits);

// A frame's input record as a Confirmed record, and back.
std::uint16_t RecordOf(const FrameInput& input);
FrameInput InputOfRecord(std::uint16_t record);
