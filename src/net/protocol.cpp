// The wire format, byte by byte. Encoding checks a message before writing
// it and decoding checks what it read with the same rules, so whatever one
// side accepts the other could have written, in the one way it writes it.
#include "net/protocol.h"

#include <cstring>
#include <limits>

namespace {

constexpr std::uint8_t kMagic[2] = {'F', 'R'};
constexpr int kLongestDelay = 4; // frames, as a Hello may ask
constexpr std::int64_t kLastFrame = std::numeric_limits<std::int32_t>::max() - 1;
constexpr bool PlayerInput::*kActions[6] = {&PlayerInput::up,    &PlayerInput::down,
                                            &PlayerInput::left,  &PlayerInput::right,
                                            &PlayerInput::laser, &PlayerInput::grenade};

// Bytes written so far into a buffer; `fits` turns false, for good, at the
// first byte that had no room.
struct Writer {
    std::uint8_t* bytes;
    std::size_t capacity;
    std::size_t size = 0;
    bool fits = true;
};

// The low `count` bytes of `value`, least significant first.
void Put(Writer& writer, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i) {
        if (writer.size == writer.capacity) {
            writer.fits = false;
            return;
        }
        writer.bytes[writer.size++] = static_cast<std::uint8_t>(value >> 8 * i);
    }
}

void PutInt32(Writer& writer, std::int32_t value) {
    Put(writer, static_cast<std::uint32_t>(value), 4);
}

// Bytes read so far; `ok` turns false, for good, at the first read past the
// end or the first field out of range.
struct Reader {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t at = 0;
    bool ok = true;
};

// A little-endian number of `count` bytes, 0 past the end.
std::uint64_t Get(Reader& reader, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        if (reader.at == reader.size) {
            reader.ok = false;
            return 0;
        }
        value |= static_cast<std::uint64_t>(reader.bytes[reader.at++]) << 8 * i;
    }
    return value;
}

std::int32_t GetInt32(Reader& reader) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Get(reader, 4)));
}

bool Printable(char c) {
    return c >= 0x20 && c <= 0x7e;
}

// The characters before the version's NUL, 16 if it has none.
std::size_t VersionLength(const Hello& hello) {
    const void* end = std::memchr(hello.gameVersion, 0, sizeof hello.gameVersion);
    return end == nullptr ? sizeof hello.gameVersion
                          : static_cast<const char*>(end) - hello.gameVersion;
}

bool ValidHello(const Hello& hello) {
    const std::size_t length = VersionLength(hello);
    for (std::size_t i = 0; i < length; ++i) {
        if (!Printable(hello.gameVersion[i])) {
            return false;
        }
    }
    return length >= 1 && length <= kMaxVersionLength && hello.role <= 2 &&
           hello.inputDelay <= kLongestDelay;
}

bool ValidInputs(const Inputs& inputs) {
    if (inputs.count > kMaxInputsPerPacket || inputs.ackFrame < -1 || inputs.firstFrame < 0 ||
        inputs.senderFrame < 0 || inputs.receivedFrame < -1 || inputs.checkedFrame < -1 ||
        static_cast<std::int64_t>(inputs.firstFrame) + inputs.count - 1 > kLastFrame) {
        return false;
    }
    for (int i = 0; i < inputs.count; ++i) {
        if (inputs.actions[i] >> 6 != 0) {
            return false;
        }
    }
    return true;
}

bool ValidSnapshot(const Snapshot& snapshot) {
    return snapshot.frame >= 0;
}

bool ValidConfirmed(const Confirmed& confirmed) {
    if (confirmed.count > kMaxInputsPerPacket || confirmed.firstFrame < 0 ||
        static_cast<std::int64_t>(confirmed.firstFrame) + confirmed.count - 1 > kLastFrame) {
        return false;
    }
    for (int i = 0; i < confirmed.count; ++i) {
        if ((confirmed.records[i] & 0xc0c0) != 0) {
            return false;
        }
    }
    return true;
}

bool ValidMessage(const Message& message) {
    switch (message.type) {
    case MessageType::kHello:
        return ValidHello(message.hello);
    case MessageType::kInputs:
        return ValidInputs(message.inputs);
    case MessageType::kPause:
    case MessageType::kBye:
    case MessageType::kDesync:
        return message.frame >= 0;
    case MessageType::kResume:
        return true;
    case MessageType::kState:
        return ValidSnapshot(message.snapshot);
    case MessageType::kConfirmed:
        return ValidConfirmed(message.confirmed);
    }
    return false;
}

void WriteHello(Writer& writer, const Hello& hello) {
    const std::size_t length = VersionLength(hello);
    Put(writer, hello.protocol, 2);
    Put(writer, length, 1);
    for (std::size_t i = 0; i < length; ++i) {
        Put(writer, static_cast<std::uint8_t>(hello.gameVersion[i]), 1);
    }
    Put(writer, hello.rulesHash, 8);
    Put(writer, hello.token, 8);
    Put(writer, hello.role, 1);
    Put(writer, hello.inputDelay, 1);
    Put(writer, hello.roundTripMs, 2);
}

void WriteInputs(Writer& writer, const Inputs& inputs) {
    PutInt32(writer, inputs.ackFrame);
    PutInt32(writer, inputs.firstFrame);
    PutInt32(writer, inputs.senderFrame);
    PutInt32(writer, inputs.receivedFrame);
    PutInt32(writer, inputs.checkedFrame);
    Put(writer, inputs.checkedHash, 8);
    Put(writer, inputs.count, 1);
    for (int i = 0; i < inputs.count; ++i) {
        Put(writer, inputs.actions[i], 1);
    }
}

void WriteSnapshot(Writer& writer, const Snapshot& snapshot) {
    PutInt32(writer, snapshot.frame);
    Put(writer, snapshot.chain, 8);
    for (std::int32_t word : snapshot.words) {
        PutInt32(writer, word);
    }
}

void WriteConfirmed(Writer& writer, const Confirmed& confirmed) {
    PutInt32(writer, confirmed.firstFrame);
    Put(writer, confirmed.count, 1);
    for (int i = 0; i < confirmed.count; ++i) {
        Put(writer, confirmed.records[i], 2);
    }
}

// The fields after the type byte, of a valid message.
void WriteFields(Writer& writer, const Message& message) {
    switch (message.type) {
    case MessageType::kHello:
        WriteHello(writer, message.hello);
        return;
    case MessageType::kInputs:
        WriteInputs(writer, message.inputs);
        return;
    case MessageType::kPause:
    case MessageType::kBye:
    case MessageType::kDesync:
        PutInt32(writer, message.frame);
        return;
    case MessageType::kResume:
        return;
    case MessageType::kState:
        WriteSnapshot(writer, message.snapshot);
        return;
    case MessageType::kConfirmed:
        WriteConfirmed(writer, message.confirmed);
        return;
    }
}

// A NUL byte, or any other unprintable one, in the version is refused here:
// the string it would make could not say how long it was on the wire.
void ReadHello(Reader& reader, Hello* hello) {
    hello->protocol = static_cast<std::uint16_t>(Get(reader, 2));
    const std::uint64_t length = Get(reader, 1);
    reader.ok = reader.ok && length >= 1 && length <= kMaxVersionLength;
    for (std::uint64_t i = 0; reader.ok && i < length; ++i) {
        hello->gameVersion[i] = static_cast<char>(Get(reader, 1));
        reader.ok = reader.ok && Printable(hello->gameVersion[i]);
    }
    hello->rulesHash = Get(reader, 8);
    hello->token = Get(reader, 8);
    hello->role = static_cast<std::uint8_t>(Get(reader, 1));
    hello->inputDelay = static_cast<std::uint8_t>(Get(reader, 1));
    hello->roundTripMs = static_cast<std::uint16_t>(Get(reader, 2));
}

void ReadInputs(Reader& reader, Inputs* inputs) {
    inputs->ackFrame = GetInt32(reader);
    inputs->firstFrame = GetInt32(reader);
    inputs->senderFrame = GetInt32(reader);
    inputs->receivedFrame = GetInt32(reader);
    inputs->checkedFrame = GetInt32(reader);
    inputs->checkedHash = Get(reader, 8);
    inputs->count = static_cast<std::uint8_t>(Get(reader, 1));
    reader.ok = reader.ok && inputs->count <= kMaxInputsPerPacket;
    for (int i = 0; reader.ok && i < inputs->count; ++i) {
        inputs->actions[i] = static_cast<std::uint8_t>(Get(reader, 1));
    }
}

void ReadSnapshot(Reader& reader, Snapshot* snapshot) {
    snapshot->frame = GetInt32(reader);
    snapshot->chain = Get(reader, 8);
    for (std::int32_t& word : snapshot->words) {
        word = GetInt32(reader);
    }
}

void ReadConfirmed(Reader& reader, Confirmed* confirmed) {
    confirmed->firstFrame = GetInt32(reader);
    confirmed->count = static_cast<std::uint8_t>(Get(reader, 1));
    reader.ok = reader.ok && confirmed->count <= kMaxInputsPerPacket;
    for (int i = 0; reader.ok && i < confirmed->count; ++i) {
        confirmed->records[i] = static_cast<std::uint16_t>(Get(reader, 2));
    }
}

// The fields after the type byte; false for a type the format does not have.
bool ReadFields(Reader& reader, Message* out) {
    switch (out->type) {
    case MessageType::kHello:
        ReadHello(reader, &out->hello);
        return true;
    case MessageType::kInputs:
        ReadInputs(reader, &out->inputs);
        return true;
    case MessageType::kPause:
    case MessageType::kBye:
    case MessageType::kDesync:
        out->frame = GetInt32(reader);
        return true;
    case MessageType::kResume:
        return true;
    case MessageType::kState:
        ReadSnapshot(reader, &out->snapshot);
        return true;
    case MessageType::kConfirmed:
        ReadConfirmed(reader, &out->confirmed);
        return true;
    }
    return false;
}

} // namespace

bool DecodeMessage(const std::uint8_t* data, std::size_t size, Message* out) {
    Reader reader{data, size};
    *out = Message{};
    if (Get(reader, 1) != kMagic[0] || Get(reader, 1) != kMagic[1]) {
        return false;
    }
    out->type = static_cast<MessageType>(Get(reader, 1));
    return ReadFields(reader, out) && reader.ok && reader.at == size && ValidMessage(*out);
}

std::size_t EncodeMessage(const Message& message, std::uint8_t* buffer, std::size_t capacity) {
    if (!ValidMessage(message)) {
        return 0;
    }
    Writer writer{buffer, capacity};
    Put(writer, kMagic[0], 1);
    Put(writer, kMagic[1], 1);
    Put(writer, static_cast<std::uint8_t>(message.type), 1);
    WriteFields(writer, message);
    return writer.fits ? writer.size : 0;
}

std::uint8_t ActionBits(const PlayerInput& input) {
    std::uint8_t bits = 0;
    for (int i = 0; i < 6; ++i) {
        bits |= static_cast<std::uint8_t>((input.*kActions[i] ? 1 : 0) << i);
    }
    return bits;
}

PlayerInput PlayerInputFromBits(std::uint8_t bits) {
    PlayerInput input;
    for (int i = 0; i < 6; ++i) {
        input.*kActions[i] = (bits >> i & 1) != 0;
    }
    return input;
}

std::uint16_t RecordOf(const FrameInput& input) {
    return static_cast<std::uint16_t>(ActionBits(input.player1) | ActionBits(input.player2) << 8);
}

FrameInput InputOfRecord(std::uint16_t record) {
    return {PlayerInputFromBits(record & 0xff), PlayerInputFromBits(record >> 8)};
}
