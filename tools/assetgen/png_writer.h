// The desktop icon is a PNG written without any image library: the pixels
// go into stored (uncompressed) deflate blocks, which every PNG reader
// accepts, so only the two checksums need computing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An RGBA picture, row by row from the top-left, four bytes per pixel.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;
};

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> EncodePng(const RgbaImage& image);
bool WritePng(const std::string& path, const RgbaImage& image);
