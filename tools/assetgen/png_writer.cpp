#include "png_writer.h"

#include "file_output.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kMaxStoredBlock = 65535; // a stored block's length is 16 bits

// The reflected CRC-32 table of polynomial 0xEDB88320, built once.
std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

// A chunk is its length, its type, its data and the CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char type[4],
              const std::vector<std::uint8_t>& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// The filtered scanlines: filter type 0 (none) before each row.
std::vector<std::uint8_t> Scanlines(const RgbaImage& image) {
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4u;
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const auto row = image.bytes.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return raw;
}

// A zlib stream made of stored deflate blocks, ending with the Adler-32.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out = {0x78, 0x01}; // deflate, 32K window, check bits
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0); // BFINAL, BTYPE 00 (stored)
        out.push_back(static_cast<std::uint8_t>(length & 0xFFu));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length & 0xFFu));
        out.push_back(static_cast<std::uint8_t>((~length >> 8) & 0xFFu));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    PutBe32(out, Adler32(raw));
    return out;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    }
    return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
    constexpr std::uint32_t kModulus = 65521;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t byte : data) {
        a = (a + byte) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(const RgbaImage& image) {
    std::vector<std::uint8_t> out(std::begin(kSignature), std::end(kSignature));

    std::vector<std::uint8_t> header;
    PutBe32(header, static_cast<std::uint32_t>(image.width));
    PutBe32(header, static_cast<std::uint32_t>(image.height));
    header.push_back(8); // bits per channel
    header.push_back(6); // colour type: RGBA
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering
    header.push_back(0); // not interlaced
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", StoredZlib(Scanlines(image)));
    PutChunk(out, "IEND", {});
    return out;
}

bool WritePng(const std::string& path, const RgbaImage& image) {
    return WriteFileBytes(path, EncodePng(image));
}
