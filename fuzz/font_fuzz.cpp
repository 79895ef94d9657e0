// Fuzzing the font loader. An input is five numbers (red, green, blue and
// alpha factors in 200ths; a mask of the files left out: 1 font.ini, 2
// font.dat, 4 font.raw), then font.ini, font.dat and font.raw.
#include "fuzz_input.h"

#include "view/images.h"
#include "view/text.h"

#include <fstream>
#include <sstream>

static std::string directory = "/dev/shm/flagrun-font-fuzz-XXXXXX";

// A window on SDL's dummy driver to give fonts its format, and a directory in memory.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Require(SDL_Init(SDL_INIT_VIDEO) == 0 && mkdtemp(directory.data()) != nullptr);
    screen = SDL_SetVideoMode(640, 530, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    Require(screen != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = Split({reinterpret_cast<const char*>(data), size}, 4);
    std::int64_t knobs[5] = {};
    std::istringstream(parts[0]) >> knobs[0] >> knobs[1] >> knobs[2] >> knobs[3] >> knobs[4];
    const char* const names[] = {"font.ini", "font.dat", "font.raw"};
    for (int i = 0; i < 3; ++i) {
        const std::string path = directory + "/" + names[i];
        std::remove(path.c_str());
        if ((knobs[4] >> i & 1) == 0) {
            std::ofstream(path, std::ios::binary) << parts[i + 1];
        }
    }
    Font* font = LoadFont(directory.c_str(), knobs[0] / 200.0f, knobs[1] / 200.0f,
                          knobs[2] / 200.0f, knobs[3] / 200.0f);
    if (font == nullptr) {
        return 0;
    }
    // What a loaded font must hold whatever its files said; then it draws and
    // measures every code but NUL.
    Require(font->size >= 16 && font->size <= 4096 && font->cellSize == font->size / 16);
    Require(font->surface->w == font->size && font->surface->h == font->size);
    std::string codes;
    std::int32_t sum = 0;
    for (int c = 0; c < 256; ++c) {
        Require(font->widths[c] >= 0 && font->widths[c] <= 255);
        codes.push_back(static_cast<char>(c));
        sum += font->widths[c];
    }
    DrawText(screen, font, 1, 480, "%s", codes.c_str() + 1);
    DrawText(screen, font, 110, 500, "%d", INT32_MIN);
    Require(MeasureText(font, "%s", codes.c_str() + 1) == sum - font->widths[0]);
    FreeFont(font);
    return 0;
}
