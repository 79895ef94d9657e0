// flagrun-assetgen: paints every sprite, the icons and both HUD fonts, and
// renders the sound effects.
//
// Usage: flagrun-assetgen <outdir> <fontfile>
// Writes the run-time assets under <outdir>, where the game is started:
// the window icon, Graphics/*.bmp, Sounds/*.wav, data/font{1,2}/ and the
// desktop icons icons/flagrun-<size>.png.

#include "bmp_writer.h"
#include "file_output.h"
#include "fonts.h"
#include "png_writer.h"
#include "sounds.h"
#include "sprites.h"

#include "rules/geometry.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// The HUD font size: about 7 pixels per character, so the experience
// labels and the countdown fit the room the layout gives them.
constexpr int kHudPixelSize = 12;

// How far a tag may move between two frames.
constexpr int kTagSlack = 2;

struct EraserSizes {
    int hudWidth = 0;
    int hudHeight = 0;
    int tagWidth = 0;
    int tagHeight = 0;
};

// Checks that the HUD texts fit the layout and sizes the two erasers from
// the font: black.bmp serves both the experience lines at (1, 430) and the
// countdown at (300, 440); black2.bmp the bounty tag under a player.
bool SizeErasers(const FontSheet& font, EraserSizes& sizes) {
    const int value = WidestIntAdvance(font) + kExtraColumns;
    const int labelEnd =
        kExpLabelX + std::max(TextReach(font, "Player1 Exp:"), TextReach(font, "Player2 Exp:"));
    const int countdownEnd = kCountdownText.x + TextReach(font, "New game in 100");
    const int tagLabel = TextReach(font, "Bty:");
    if (labelEnd > kExpValueX || countdownEnd > kSecondsX || tagLabel > kTagValueOffsetX) {
        std::fprintf(stderr, "flagrun-assetgen: the HUD font is too wide for the layout\n");
        return false;
    }
    // The experience eraser must stop short of the countdown at x 300.
    const int expRight = kExpValueX + value;
    const int countdownRight = kSecondsX + TextReach(font, "seconds");
    sizes.hudWidth = std::max(expRight - kHudEraser.x, countdownRight - kCountdownText.x);
    sizes.hudHeight = kExpLine2Y + kCellSize - kHudEraser.y;
    if (kHudEraser.x + sizes.hudWidth > kCountdownText.x) {
        std::fprintf(stderr, "flagrun-assetgen: the HUD eraser would hide the countdown\n");
        return false;
    }
    sizes.tagWidth = kTagValueOffsetX + value + kTagSlack;
    sizes.tagHeight = kCellSize + kTagSlack;
    return true;
}

bool WriteSprites(const std::string& outDir, const EraserSizes& erasers) {
    const std::string dir = outDir + "/Graphics/";
    const Image player = PaintPlayer();
    return WriteBmp(dir + "bg.bmp", PaintBackground()) && WriteBmp(dir + "bluedr.bmp", player) &&
           WriteBmp(dir + "redtl.bmp", PaintEnemy()) &&
           WriteBmp(dir + "flagb.bmp", PaintBlueFlag()) &&
           WriteBmp(dir + "flagr.bmp", PaintRedFlag()) &&
           WriteBmp(dir + "lazer1.bmp", PaintPlayerLaser()) &&
           WriteBmp(dir + "lazer2.bmp", PaintEnemyLaser()) &&
           WriteBmp(dir + "bluedr-dead.bmp", PaintPlayerCorpse()) &&
           WriteBmp(dir + "reddr-dead.bmp", PaintEnemyWreck()) &&
           WriteBmp(dir + "roadblock.bmp", PaintRoadblock()) &&
           WriteBmp(dir + "grenade1.bmp", PaintGrenade()) &&
           WriteBmp(dir + "explosion1.bmp", PaintExplosion()) &&
           WriteBmp(dir + "black.bmp", PaintEraser(erasers.hudWidth, erasers.hudHeight)) &&
           WriteBmp(dir + "black2.bmp", PaintEraser(erasers.tagWidth, erasers.tagHeight)) &&
           WriteBmp(outDir + "/bluedr.bmp", player);
}

bool WriteIcons(const std::string& outDir) {
    for (const int size : kIconSizes) {
        if (!WritePng(outDir + "/icons/flagrun-" + std::to_string(size) + ".png",
                      PaintIcon(size))) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: flagrun-assetgen <outdir> <fontfile>\n");
        return 2;
    }
    const std::string outDir = argv[1];
    const std::string fontFile = argv[2];

    FontSheet font;
    if (!RenderFontSheet(fontFile, kHudPixelSize, font)) {
        return 1;
    }
    EraserSizes erasers;
    if (!SizeErasers(font, erasers)) {
        return 1;
    }

    // Both fonts share one sheet: the plain font is loaded but never drawn.
    const bool ok = MakeDirectories(outDir + "/Graphics") &&
                    MakeDirectories(outDir + "/data/font1") &&
                    MakeDirectories(outDir + "/data/font2") && MakeDirectories(outDir + "/icons") &&
                    WriteSprites(outDir, erasers) && WriteIcons(outDir) &&
                    WriteFontDirectory(outDir + "/data/font1", font) &&
                    WriteFontDirectory(outDir + "/data/font2", font) && WriteSounds(outDir);
    if (!ok) {
        std::fprintf(stderr, "flagrun-assetgen: assets not written completely\n");
        return 1;
    }
    return 0;
}
