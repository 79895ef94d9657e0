// Sprites are stored as plain 24-bit BMPs: no alpha channel, so the game's
// blits copy every pixel opaquely, black margins included.
#pragma once

#include "raster.h"

#include <string>

// Saves the image through SDL; false with a message on stderr when it cannot.
bool WriteBmp(const std::string& path, const Image& image);
