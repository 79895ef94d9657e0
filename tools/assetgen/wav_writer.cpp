// Writing the WAV header field by field, least significant byte first.
#include "wav_writer.h"

#include "synth.h"

namespace {

constexpr std::uint32_t kFmtSize = 16;
constexpr std::uint32_t kPcm = 1;
constexpr std::uint32_t kChannels = 1;
constexpr std::uint32_t kBytesPerSample = 2;

void Put(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i) & 0xFF));
    }
}

void PutTag(std::vector<std::uint8_t>& bytes, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

} // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& mono) {
    const auto dataBytes = static_cast<std::uint32_t>(mono.size() * kBytesPerSample);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    PutTag(bytes, "RIFF");
    Put(bytes, 36 + dataBytes, 4);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    Put(bytes, kFmtSize, 4);
    Put(bytes, kPcm, 2);
    Put(bytes, kChannels, 2);
    Put(bytes, kSampleRate, 4);
    Put(bytes, kSampleRate * kChannels * kBytesPerSample, 4);
    Put(bytes, kChannels * kBytesPerSample, 2);
    Put(bytes, 8 * kBytesPerSample, 2);
    PutTag(bytes, "data");
    Put(bytes, dataBytes, 4);
    for (const std::int16_t sample : mono) {
        Put(bytes, static_cast<std::uint16_t>(sample), 2);
    }
    return bytes;
}
