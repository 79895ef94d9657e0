// The header check a sound file must pass before SDL reads it.
#pragma once

#include <cstdint>

// Where a checked file's samples lie: the offset of their first byte in
// the file, and their length in bytes.
struct WavData {
    long dataOffset;
    std::uint32_t dataBytes;
};

// True when the file at `path` is a RIFF/WAVE file in the one format the
// game plays: a "fmt " chunk saying PCM, one channel, 44,100 Hz, 16 bits,
// then, past any other chunks, a "data" chunk of whole samples. Every
// chunk up to the data must lie within the file, the data included. Fills
// `out`, when given, only when true.
bool CheckWavHeader(const char* path, WavData* out);
