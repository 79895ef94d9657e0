// Mono 16-bit samples as the bytes of a WAV file.
#pragma once

#include <cstdint>
#include <vector>

// A canonical RIFF/WAVE file: the 44-byte header (PCM, one channel,
// 44,100 Hz, 16 bits) and the samples, all little-endian.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& mono);
