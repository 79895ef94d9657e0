// The game's sound effects, rendered from recipes into Sounds/*.wav.
#pragma once

#include <string>

// Writes the twelve sounds under <outDir>/Sounds; false with a message on
// stderr when one cannot be written.
bool WriteSounds(const std::string& outDir);
