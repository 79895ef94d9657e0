// The fuzz harnesses' seed corpora, made from the game's real font
// directories and real replay scripts:
//   make_seeds OUT_DIR FONT_DIR... -- SCRIPT...
// writes OUT_DIR/font, OUT_DIR/text and OUT_DIR/replay.
#include "fuzz_input.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

static void WriteSeed(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

// The real font, the same with font.dat left out and a tint past 1, and a
// 16-pixel font cut from its sheet's top-left corner, which loads fast.
static void WriteFontSeeds(const fs::path& out, const fs::path& fontDir) {
    FontInput font;
    font.ini = Read(fontDir / "font.ini");
    font.raw = Read(fontDir / "font.raw");
    font.dat = Read(fontDir / "font.dat");
    const std::string name = fontDir.filename();
    WriteSeed(out / "font", name, PackFontInput(font));
    FontInput noWidths = font;
    noWidths.missing = 4;
    noWidths.tint[0] = 255;
    WriteSeed(out / "font", name + "-no-widths", PackFontInput(noWidths));
    const int side = std::atoi(font.ini.c_str());
    FontInput small = font;
    small.ini = "16\n";
    small.raw.clear();
    for (int row = 0; row < 16 && row < side; ++row) {
        small.raw += font.raw.substr(static_cast<std::size_t>(row * side), 16);
    }
    WriteSeed(out / "font", name + "-16", PackFontInput(small));
}

// The texts the game draws, where it draws them, with the real widths.
static void WriteTextSeeds(const fs::path& out, const fs::path& fontDir) {
    struct Placement {
        const char* name;
        std::int32_t x;
        std::int32_t y;
        const char* text;
    };
    const Placement placements[] = {
        {.name = "experience-label", .x = 1, .y = 480, .text = "Player1 Exp:"},
        {.name = "experience", .x = 110, .y = 500, .text = "123456"},
        {.name = "bounty-tag", .x = 600, .y = 470, .text = "Bty:"},
        {.name = "countdown", .x = 300, .y = 440, .text = "New game in 99"},
        {.name = "far-left", .x = -40000, .y = 70000, .text = "seconds"},
    };
    for (const Placement& placement : placements) {
        TextInput text;
        text.x = placement.x;
        text.y = placement.y;
        text.side = static_cast<std::uint32_t>(std::atoi(Read(fontDir / "font.ini").c_str()));
        text.widths = Read(fontDir / "font.dat");
        text.text = placement.text;
        WriteSeed(out / "text", fontDir.filename().string() + "-" + placement.name,
                  PackTextInput(text));
    }
}

// Each script with the command lines the project itself runs.
static void WriteReplaySeeds(const fs::path& out, const std::vector<fs::path>& scripts) {
    const std::vector<std::vector<std::string>> commandLines = {
        {"-"},
        {"--every", "30", "--screenshot", "150:shot.bmp", "-"},
        {"--every", "1000000", "--screenshot", "411:screenshot.bmp", "game.replay"},
        {"--screenshot", "9:x.bmp", "--screenshot", "3:y.bmp", "game.replay"},
        {"--help"},
    };
    for (const fs::path& script : scripts) {
        for (std::size_t i = 0; i < commandLines.size(); ++i) {
            const ReplayInput replay = {.args = commandLines[i], .script = Read(script)};
            WriteSeed(out / "replay", script.stem().string() + "-" + std::to_string(i),
                      PackReplayInput(replay));
        }
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: make_seeds OUT_DIR FONT_DIR... -- SCRIPT...\n";
        return 2;
    }
    const fs::path out = argv[1];
    std::vector<fs::path> fontDirs;
    std::vector<fs::path> scripts;
    bool pastFonts = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            pastFonts = true;
        } else if (pastFonts) {
            scripts.push_back(arg);
        } else {
            fontDirs.push_back(arg);
        }
    }
    for (const fs::path& fontDir : fontDirs) {
        if (!fs::exists(fontDir / "font.ini")) {
            std::cerr << "make_seeds: no font in " << fontDir << "\n";
            return 1;
        }
        WriteFontSeeds(out, fontDir);
        WriteTextSeeds(out, fontDir);
    }
    WriteReplaySeeds(out, scripts);
    return 0;
}
