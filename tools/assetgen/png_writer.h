// The desktop icons are PNG files, written by libpng.
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

// Writes the picture as an 8-bit RGBA PNG; false with a message on stderr
// when the file cannot be written.
bool WritePng(const std::string& path, const RgbaImage& image);
