// Fuzzing the online messages' decoder. An input is the bytes of one UDP
// message. Whatever is accepted must encode back to exactly the same bytes,
// the format having one encoding a message, and decode again to the same.
#include "fuzz_input.h"

#include "net/protocol.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Message message;
    if (!DecodeMessage(data, size, &message)) {
        return 0;
    }
    std::uint8_t bytes[kMaxMessageBytes];
    const std::size_t written = EncodeMessage(message, bytes, sizeof bytes);
    Require(written == size && std::memcmp(bytes, data, size) == 0);
    Require(EncodeMessage(message, bytes, size - 1) == 0);
    Message again;
    Require(DecodeMessage(bytes, written, &again) && again == message);
    for (int i = 0; i < message.inputs.count; ++i) {
        const std::uint8_t action = message.inputs.actions[i];
        Require(ActionBits(PlayerInputFromBits(action)) == action);
    }
    return 0;
}
