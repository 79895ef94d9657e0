// Checking a BMP file's header against its size before SDL allocates from it.
#include "view/bmp_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

static constexpr std::int64_t kMaxSide = 4096;
static constexpr std::size_t kFileHeaderSize = 14;
// The oldest header, of OS/2 1.x, holds 16-bit sizes; every later one
// starts like the 40-byte Windows header with 32-bit sizes.
static constexpr std::uint32_t kCoreHeaderSize = 12;
static constexpr std::uint32_t kInfoHeaderSize = 40;
// Pixels stored as they are, or as they are with colour masks. Run-length
// coded pixels are refused: their file size says nothing about the image
// size, since one code may skip any number of pixels.
static constexpr std::uint32_t kUncompressed = 0;
static constexpr std::uint32_t kBitFields = 3;

struct BmpHeader {
    std::int64_t pixelOffset;
    std::uint32_t headerSize;
    std::int64_t width;
    std::int64_t height; // negative for rows stored top to bottom
    std::uint32_t bitsPerPixel;
    std::uint32_t compression;
};

static std::uint32_t Le16(const unsigned char* bytes) {
    return bytes[0] | static_cast<std::uint32_t>(bytes[1]) << 8;
}

static std::uint32_t Le32(const unsigned char* bytes) {
    return Le16(bytes) | Le16(bytes + 2) << 16;
}

// The fields SDL sizes the image by, or false when the bytes read do not
// even hold a header it knows.
static bool ParseHeader(const unsigned char* bytes, std::size_t count, BmpHeader* header) {
    if (count < kFileHeaderSize + kCoreHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        return false;
    }
    header->pixelOffset = Le32(bytes + 10);
    header->headerSize = Le32(bytes + 14);
    const unsigned char* info = bytes + kFileHeaderSize;
    if (header->headerSize == kCoreHeaderSize) {
        header->width = Le16(info + 4);
        header->height = Le16(info + 6);
        header->bitsPerPixel = Le16(info + 10);
        header->compression = kUncompressed;
        return true;
    }
    if (header->headerSize < kInfoHeaderSize || count < kFileHeaderSize + kInfoHeaderSize) {
        return false;
    }
    header->width = static_cast<std::int32_t>(Le32(info + 4));
    header->height = static_cast<std::int32_t>(Le32(info + 8));
    header->bitsPerPixel = Le16(info + 14);
    header->compression = Le32(info + 16);
    return true;
}

static bool KnownPixelFormat(const BmpHeader& header) {
    const std::uint32_t bits = header.bitsPerPixel;
    const bool depth =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return depth && (header.compression == kUncompressed || header.compression == kBitFields);
}

// Rows are padded to whole 32-bit words.
static bool PixelsFit(const BmpHeader& header, std::int64_t fileSize) {
    const std::int64_t rows = header.height < 0 ? -header.height : header.height;
    if (header.width < 1 || header.width > kMaxSide || rows < 1 || rows > kMaxSide) {
        return false;
    }
    const std::int64_t rowBytes = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    const std::int64_t headersEnd = kFileHeaderSize + header.headerSize;
    return header.pixelOffset >= headersEnd && header.pixelOffset + rowBytes * rows <= fileSize;
}

bool CheckBmpHeader(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    unsigned char bytes[kFileHeaderSize + kInfoHeaderSize];
    const std::size_t count = std::fread(bytes, 1, sizeof bytes, file);
    const bool sized = std::fseek(file, 0, SEEK_END) == 0;
    const std::int64_t fileSize = sized ? std::ftell(file) : -1;
    std::fclose(file);
    BmpHeader header;
    return ParseHeader(bytes, count, &header) && KnownPixelFormat(header) &&
           PixelsFit(header, fileSize);
}
