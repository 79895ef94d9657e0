// Walking a WAV file's chunks, each checked against the file's size before
// anything is read from it.
#include "sound/wav_check.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

static constexpr std::int64_t kRiffHeaderSize = 12;
static constexpr std::size_t kChunkHeaderSize = 8;
static constexpr std::uint32_t kFormatSize = 16;
static constexpr std::uint32_t kPcm = 1;
static constexpr std::uint32_t kSampleRate = 44100;
static constexpr std::uint32_t kBytesPerSample = 2;

static std::uint32_t Le16(const unsigned char* bytes) {
    return bytes[0] | static_cast<std::uint32_t>(bytes[1]) << 8;
}

static std::uint32_t Le32(const unsigned char* bytes) {
    return Le16(bytes) | Le16(bytes + 2) << 16;
}

static bool IsTag(const unsigned char* bytes, const char* tag) {
    return std::memcmp(bytes, tag, 4) == 0;
}

// Reads `count` bytes from `offset`; false unless all of them are there.
static bool ReadAt(std::FILE* file, std::int64_t offset, unsigned char* bytes, std::size_t count) {
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(bytes, 1, count, file) == count;
}

// PCM, one channel, 44,100 Hz, 16 bits: the byte rate and block size too.
static bool PlayableFormat(const unsigned char* format) {
    return Le16(format) == kPcm && Le16(format + 2) == 1 && Le32(format + 4) == kSampleRate &&
           Le32(format + 8) == kSampleRate * kBytesPerSample &&
           Le16(format + 12) == kBytesPerSample && Le16(format + 14) == 8 * kBytesPerSample;
}

// Walks the chunks after the RIFF header up to the data. Each step moves
// at least one chunk header on, so the walk ends at the file's end.
static bool FindData(std::FILE* file, std::int64_t fileSize, WavData* out) {
    bool formatSeen = false;
    std::int64_t offset = kRiffHeaderSize;
    unsigned char header[kChunkHeaderSize];
    while (offset <= fileSize - static_cast<std::int64_t>(kChunkHeaderSize) &&
           ReadAt(file, offset, header, kChunkHeaderSize)) {
        const std::int64_t body = offset + static_cast<std::int64_t>(kChunkHeaderSize);
        const std::uint32_t size = Le32(header + 4);
        if (size > fileSize - body) {
            return false;
        }
        if (IsTag(header, "fmt ")) {
            unsigned char format[kFormatSize];
            if (size < kFormatSize || !ReadAt(file, body, format, kFormatSize) ||
                !PlayableFormat(format)) {
                return false;
            }
            formatSeen = true;
        } else if (IsTag(header, "data")) {
            if (!formatSeen || size % kBytesPerSample != 0) {
                return false;
            }
            if (out != nullptr) {
                *out = WavData{static_cast<long>(body), size};
            }
            return true;
        }
        offset = body + size + (size & 1); // chunks are padded to even lengths
    }
    return false;
}

bool CheckWavHeader(const char* path, WavData* out) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    const bool sized = std::fseek(file, 0, SEEK_END) == 0;
    const std::int64_t fileSize = sized ? std::ftell(file) : -1;
    unsigned char riff[kRiffHeaderSize];
    const bool ok = ReadAt(file, 0, riff, sizeof riff) && IsTag(riff, "RIFF") &&
                    IsTag(riff + 8, "WAVE") && FindData(file, fileSize, out);
    std::fclose(file);
    return ok;
}
