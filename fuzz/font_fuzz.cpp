// Fuzzing the font loader: each input becomes a font directory, which is
// loaded white, tinted yellow as the game does and tinted by the input, and
// every font that loads is drawn with, measured and freed.
#include "fuzz_input.h"

#include "view/font.h"
#include "view/images.h"
#include "view/text.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static std::string directory;

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::abort();
    }
    screen = SDL_SetVideoMode(640, 530, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    // Every input writes three files: in memory where there is a place for it.
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    pattern += "/flagrun-font-fuzz-XXXXXX";
    if (screen == nullptr || mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    directory = pattern;
    return 0;
}

static void WriteOrRemove(const std::string& name, const std::string& bytes, bool missing) {
    const std::string path = directory + "/" + name;
    std::remove(path.c_str());
    if (missing) {
        return;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// What any loaded font must hold, whatever its files said.
static void CheckFont(const Font* font) {
    const bool sized = font->size >= 16 && font->size <= 4096 && font->cellSize == font->size / 16;
    const bool sheet = font->surface != nullptr && font->surface->w == font->size &&
                       font->surface->h == font->size;
    if (!sized || !sheet) {
        std::abort();
    }
    for (int c = 0; c < 256; ++c) {
        if (font->widths[c] < 0 || font->widths[c] > 255) {
            std::abort();
        }
    }
}

// Every character code but NUL, drawn and measured the way the HUD does.
static void UseFont(Font* font) {
    if (font == nullptr) {
        return;
    }
    CheckFont(font);
    char codes[256];
    for (int c = 1; c < 256; ++c) {
        codes[c - 1] = static_cast<char>(c);
    }
    codes[255] = '\0';
    DrawText(screen, font, 1, 480, "%s", codes);
    DrawText(screen, font, 110, 500, "%d", -2147483647 - 1);
    std::int32_t expected = 0;
    for (int c = 1; c < 256; ++c) {
        expected += font->widths[c];
    }
    if (MeasureText(font, "%s", codes) != expected) {
        std::abort();
    }
    FreeFont(font);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FontInput input = UnpackFontInput({.data = data, .size = size});
    WriteOrRemove("font.ini", input.ini, (input.missing & 1) != 0);
    WriteOrRemove("font.raw", input.raw, (input.missing & 2) != 0);
    WriteOrRemove("font.dat", input.dat, (input.missing & 4) != 0);
    UseFont(LoadWhiteFont(directory.c_str()));
    UseFont(LoadTintedFont(directory.c_str(), 1.0f, 1.0f, 0.0f));
    UseFont(LoadFont(directory.c_str(), input.tint[0] / 200.0f, input.tint[1] / 200.0f,
                     input.tint[2] / 200.0f, input.tint[3] / 200.0f));
    return 0;
}
