#include "bmp_writer.h"

#include "file_output.h"

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 2835; // 72 dpi, what painters expect

// Every stored row is padded to a multiple of four bytes.
std::uint32_t RowStride(int width) {
    return (static_cast<std::uint32_t>(width) * 3u + 3u) & ~3u;
}

} // namespace

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    const std::uint32_t stride = RowStride(image.width);
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    std::vector<std::uint8_t> out;
    out.reserve(offset + pixelBytes);

    out.push_back('B');
    out.push_back('M');
    PutLe32(out, offset + pixelBytes);
    PutLe32(out, 0); // reserved
    PutLe32(out, offset);

    PutLe32(out, kInfoHeaderSize);
    PutLe32(out, static_cast<std::uint32_t>(image.width));
    PutLe32(out, static_cast<std::uint32_t>(image.height)); // positive: bottom-up rows
    PutLe16(out, 1);                                        // planes
    PutLe16(out, 24);                                       // bits per pixel
    PutLe32(out, 0);                                        // uncompressed
    PutLe32(out, pixelBytes);
    PutLe32(out, kPixelsPerMetre);
    PutLe32(out, kPixelsPerMetre);
    PutLe32(out, 0); // no palette
    PutLe32(out, 0);

    // The file holds the bottom row first, each pixel as blue, green, red.
    for (int y = image.height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            const Rgb colour = PixelAt(image, x, y);
            out.push_back(colour.b);
            out.push_back(colour.g);
            out.push_back(colour.r);
        }
        while (out.size() - rowStart < stride) {
            out.push_back(0);
        }
    }
    return out;
}

bool WriteBmp(const std::string& path, const Image& image) {
    return WriteFileBytes(path, EncodeBmp(image));
}
