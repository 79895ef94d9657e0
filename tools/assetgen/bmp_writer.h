// Sprites are stored as plain 24-bit BMPs: no alpha channel, so the game's
// blits copy every pixel opaquely, black margins included.
#pragma once

#include "raster.h"

#include <cstdint>
#include <string>
#include <vector>

std::vector<std::uint8_t> EncodeBmp(const Image& image);
bool WriteBmp(const std::string& path, const Image& image);
