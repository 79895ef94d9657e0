// The replay's command line:
//   flagrun-replay [--every N] [--screenshot FRAME:FILE.bmp]... [--flip]
//                  [--wav FILE] SCRIPT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Save the screen as a BMP file after this frame's flip.
struct Screenshot {
    std::int64_t frame = 0;
    std::string path;
};

struct Options {
    std::int64_t every = 1;              // print frames that are multiples of this
    std::vector<Screenshot> screenshots; // in frame order
    std::string scriptPath;              // "-" for standard input
    bool flip = false;   // every frame drawn on the display and flipped, as the game does
    std::string wavPath; // the run's sound, rendered offline; empty: none
    bool help = false;
};

// Fills *options from the arguments. On bad usage returns false with a
// one-line message in *error.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

// The synopsis printed with usage errors and by --help.
extern const char* const kUsage;
