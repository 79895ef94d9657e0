// Copies of the run directory with one file broken by a shell command. A broken sprite leaves its
// slots empty and the replay, which starts up as the game does, runs; a broken font ends start-up
// with its line and status 1; tests/view breaks each file in every other way. No run writes to
// standard error or takes 256 MB, as SDL would for an image declaring 20000 x 20000 pixels.
#include "../replay/replay_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

// Sets a BMP file's width and height, little-endian at bytes 18 and 22, to 20000 (0x4E20).
const std::string kHuge =
    "printf '\\040\\116\\0\\0\\040\\116\\0\\0' | dd bs=1 seek=18 conv=notrunc status=none 1<>";

struct BrokenCase {
    const char* file;
    std::string breakage; // a shell command ending in the file's name
    bool refused = false; // with "Unable to load font from" its directory, on standard output
};

const BrokenCase kCases[] = {
    {.file = "Graphics/bg.bmp", .breakage = "rm"},
    {.file = "Graphics/lazer2.bmp", .breakage = kHuge},
    {.file = "bluedr.bmp", .breakage = kHuge},
    {.file = "data/font1/font.ini", .breakage = "rm", .refused = true},
    {.file = "data/font2/font.raw", .breakage = "rm data/font2/font.raw && mkdir", .refused = true},
};

using BrokenInstallation = ScreenTest;

TEST_F(BrokenInstallation, ABrokenSpriteLeavesItsSlotsEmptyAndABrokenFontEndsStartUp) {
    const std::filesystem::path home = std::filesystem::current_path();
    for (const BrokenCase& row : kCases) {
        SCOPED_TRACE(row.breakage + " " + row.file);
        const RunDir dir;
        const Outcome run = Replay(dir.path, "3\n", "-", row.breakage + " " + row.file + " &&");
        EXPECT_EQ(run.status, row.refused ? 1 : 0);
        EXPECT_EQ(run.err, "");
        EXPECT_LT(run.peakMemoryKb, 256 * 1024);
        const std::string font = std::filesystem::path(row.file).parent_path();
        EXPECT_EQ(run.out == "Unable to load font from " + font + "\n", row.refused);
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), row.refused ? 1 : 3);
        std::filesystem::current_path(dir.path);
        LoadImages();
        std::filesystem::current_path(home);
        for (const SpriteSlot& sprite : kSpriteSlots) {
            EXPECT_EQ(images.*sprite.slot == nullptr, sprite.file == std::string(row.file))
                << sprite.role;
        }
        FreeImages();
    }
}
