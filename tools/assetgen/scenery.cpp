// The background (home base, off-limits block, HUD strip), the HUD panel
// and bounty tag plates, and the desktop icon.

#include "palette.h"
#include "sprites.h"

#include <algorithm>

namespace {

// The background covers the HUD strip below the 480-pixel playfield too: a
// new game redraws it whole, which also wipes what bodies, tags or grenades
// left in the strip when everything jumped back to its start.
constexpr int kFieldWidth = 640;
constexpr int kFieldHeight = 530;
constexpr int kPlayfieldHeight = 480;

// The base is kept dim: every sprite is an opaque rectangle with a black
// margin, so bright markings would show black boxes around the players.
// The HUD panel and the tags are framed in the same colours.
constexpr Rgb kPadLine = palette::kConsoleLine;
constexpr Rgb kPadBracket = palette::kConsoleBracket;
constexpr Rgb kPadDot = {14, 24, 48};
constexpr Rgb kHomeLine = {70, 24, 30};
constexpr Rgb kChevron = {90, 30, 36};

// The edges of the landing pad: a 1 pixel frame with clipped corners.
constexpr int kPadFirst = 1;
constexpr int kPadLast = 127;
constexpr int kPadCorner = 5;

void PaintPadFrame(Image& image) {
    DrawChamferedFrame(image, kPadFirst, kPadFirst, kPadLast, kPadLast, kPadCorner, kPadLine);
}

// Bright L-shaped brackets just inside each corner of the pad.
void PaintPadBrackets(Image& image) {
    const int near = kPadFirst + 3;
    const int far = kPadLast - 3;
    const int arm = 10;
    for (const int x : {near, far}) {
        for (const int y : {near, far}) {
            const int sx = x == near ? 1 : -1;
            const int sy = y == near ? 1 : -1;
            DrawLine(image, x, y, x + sx * arm, y, kPadBracket);
            DrawLine(image, x, y, x, y + sy * arm, kPadBracket);
        }
    }
}

// A faint dot grid over the pad, like the deck plates of a hangar.
void PaintPadGrid(Image& image) {
    for (int y = 16; y < kPadLast - 4; y += 16) {
        for (int x = 16; x < kPadLast - 4; x += 16) {
            Plot(image, x, y, kPadDot);
        }
    }
}

// The home corner: a dashed line just past the farthest a flag standing in
// the corner reaches, and chevrons pointing into it.
constexpr int kHomeRight = 101;
constexpr int kHomeBottom = 105;

void PaintHomeCorner(Image& image) {
    for (int i = 10; i <= kHomeBottom; i += 6) {
        DrawLine(image, kHomeRight, i, kHomeRight, i + 2, kHomeLine);
    }
    for (int i = 10; i <= kHomeRight; i += 6) {
        DrawLine(image, i, kHomeBottom, i + 2, kHomeBottom, kHomeLine);
    }
    for (int k = 0; k < 2; ++k) {
        const int x = 110 + 6 * k;
        DrawLine(image, x, x, x + 4, x, kChevron);
        DrawLine(image, x, x, x, x + 4, kChevron);
    }
}

// The off-limits block. The obstacle zone holds the top-left corners with
// x >= 175 and y <= 148, so a player stops at x 174 or y 149 and his
// 32-pixel sprite never covers x >= 206 at y <= 148: the block fills
// exactly that corner, a raised deck whose south face shows.
constexpr int kZoneMinX = 175;
constexpr int kZoneMaxY = 148;
constexpr int kBodySize = 32;
constexpr int kBlockLeft = kZoneMinX - 1 + kBodySize;
constexpr int kBlockBottom = kZoneMaxY;
constexpr int kBlockFaceRows = 12;
constexpr int kDeckBottom = kBlockBottom - kBlockFaceRows;
constexpr int kHazardBand = 9;
constexpr int kHatchPitch = 12;
constexpr int kSeamPitch = 48;

// The deck, hatched across the diagonal the shots fly along.
void PaintBlockDeck(Image& image) {
    for (int y = 0; y <= kDeckBottom; ++y) {
        for (int x = kBlockLeft; x < kFieldWidth; ++x) {
            const bool hatch = (x + y) % kHatchPitch == 0;
            Plot(image, x, y, hatch ? palette::kBlockHatch : palette::kBlockDeck);
        }
    }
    // Plate seams, in line with the seams of the south face.
    for (int x = kBlockLeft + kSeamPitch; x < kFieldWidth; x += kSeamPitch) {
        DrawLine(image, x, 0, x, kDeckBottom, palette::kBlockFace.tones[0]);
    }
    for (int y = kDeckBottom - kSeamPitch; y > 0; y -= kSeamPitch) {
        DrawLine(image, kBlockLeft, y, kFieldWidth - 1, y, palette::kBlockFace.tones[0]);
    }
}

// Amber and dark stripes along the two sides a body can walk up to.
void PaintHazardBand(Image& image) {
    for (int y = 0; y <= kDeckBottom; ++y) {
        for (int x = kBlockLeft; x < kFieldWidth; ++x) {
            const bool inBand = x < kBlockLeft + kHazardBand || y > kDeckBottom - kHazardBand;
            if (!inBand) {
                continue;
            }
            const bool amber = ((x + y) / 6) % 2 == 0;
            Plot(image, x, y, amber ? palette::kHazardAmber : palette::kHazardDark);
        }
    }
    // A dark rule on the band's inner side, a lit edge on its outer side.
    const int innerX = kBlockLeft + kHazardBand;
    const int innerY = kDeckBottom - kHazardBand;
    DrawLine(image, innerX, 0, innerX, innerY, palette::kHazardDark);
    DrawLine(image, innerX, innerY, kFieldWidth - 1, innerY, palette::kHazardDark);
    DrawLine(image, kBlockLeft, 0, kBlockLeft, kDeckBottom, palette::kBlockFace.tones[3]);
}

// The south face: lit along its top lip, darker towards its foot, with
// panel seams.
void PaintBlockFace(Image& image) {
    for (int row = 1; row <= kBlockFaceRows; ++row) {
        const int y = kDeckBottom + row;
        Rgb colour = palette::kBlockFace.tones[row < kBlockFaceRows / 2 ? 2 : 1];
        if (row == 1) {
            colour = palette::kBlockFace.tones[3];
        }
        if (row == kBlockFaceRows) {
            colour = palette::kBlockFace.tones[0];
        }
        DrawLine(image, kBlockLeft, y, kFieldWidth - 1, y, colour);
    }
    for (int x = kBlockLeft + kSeamPitch; x < kFieldWidth; x += kSeamPitch) {
        DrawLine(image, x, kDeckBottom + 2, x, kBlockBottom - 1, palette::kBlockFace.tones[0]);
        DrawLine(image, x + 1, kDeckBottom + 2, x + 1, kBlockBottom - 1,
                 palette::kBlockFace.tones[3]);
    }
}

// The floor: a sparse grid of faint dots on the pad's 16-pixel lattice,
// left out where other scenery lies.
constexpr int kFloorPitch = 32;

void PaintFloorGrid(Image& image) {
    for (int y = kFloorPitch / 2; y < kPlayfieldHeight; y += kFloorPitch) {
        for (int x = kFloorPitch / 2; x < kFieldWidth; x += kFloorPitch) {
            const bool onPad = x <= kPadLast + 4 && y <= kPadLast + 4;
            const bool onBlock = x >= kBlockLeft - 6 && y <= kBlockBottom + 6;
            if (!onPad && !onBlock) {
                Plot(image, x, y, palette::kFloorDot);
            }
        }
    }
}

// The HUD strip below the playfield: a console with a rail along its top,
// a frame closing the foot of the experience panel and a well where the
// countdown panel lands. The game draws the panel, "Graphics/black.bmp",
// at both places; the generator sizes it from the HUD font to 199x86.
struct PanelSpot {
    int x = 0;
    int y = 0;
};
constexpr PanelSpot kPanelSpots[] = {{.x = 1, .y = 430}, {.x = 300, .y = 440}};
constexpr int kHudPanelWidth = 199;
constexpr int kHudPanelHeight = 86;

// A row of cooling slots in the free right end of the strip.
void PaintVents(Image& image) {
    const int count = 9;
    const int pitch = 10;
    const int top = kPlayfieldHeight + 12;
    const int height = 24;
    for (int k = 0; k < count; ++k) {
        const int x = kFieldWidth - 16 - pitch * (count - k);
        FillRect(image, x - 1, top - 1, 6, height + 2, palette::kConsoleFill);
        FillRect(image, x, top, 4, height, Rgb{});
        DrawLine(image, x, top + height, x + 3, top + height, palette::kConsoleLine);
    }
}

void PaintHudStrip(Image& image) {
    FillRect(image, 0, kPlayfieldHeight, kFieldWidth, kFieldHeight - kPlayfieldHeight,
             palette::kConsoleDeep);
    DrawLine(image, 0, kPlayfieldHeight, kFieldWidth - 1, kPlayfieldHeight, palette::kConsoleLine);
    for (const PanelSpot& spot : kPanelSpots) {
        const int right = spot.x + kHudPanelWidth - 1;
        const int foot = spot.y + kHudPanelHeight;
        DrawLine(image, spot.x, kPlayfieldHeight, spot.x, foot, palette::kConsoleLine);
        DrawLine(image, right, kPlayfieldHeight, right, foot, palette::kConsoleLine);
        DrawLine(image, spot.x, foot, right, foot, palette::kConsoleLine);
    }
    PaintVents(image);
}

} // namespace

Image PaintBackground() {
    Image image = MakeImage(kFieldWidth, kFieldHeight);
    PaintFloorGrid(image);
    PaintPadGrid(image);
    PaintPadFrame(image);
    PaintHomeCorner(image);
    PaintPadBrackets(image);
    PaintBlockDeck(image);
    PaintHazardBand(image);
    PaintBlockFace(image);
    PaintHudStrip(image);
    return image;
}

// The two text plates. Both are opaque: the game draws them over old text
// before drawing the new, so they must stay dark for the yellow text.
namespace {

// A plate one text line tall is a bounty tag; a taller one is the panel
// that holds the experience lines and, elsewhere, the countdown.
constexpr int kTagPlateMaxHeight = 24;
constexpr int kTagLabelWidth = 31; // "Bty:" stands left of the value at +32

// How far the tag is drawn in full: the label and a five-digit value. Past
// it the plate fades into the colour of the HUD strip, barely off the
// floor, where longer values still read.
constexpr int kTagFrameFull = 72;

// The bounty tag: a blue chip behind the label, the value field beside it.
Image PaintTagPlate(int width, int height) {
    Image image = MakeImage(width, height);
    FillRect(image, 0, 0, width, height, palette::kConsoleFill);
    FillRect(image, 1, 1, kTagLabelWidth - 1, height - 2, palette::kTagChip);
    DrawLine(image, kTagLabelWidth, 1, kTagLabelWidth, height - 2, palette::kConsoleLine);
    DrawChamferedFrame(image, 0, 0, width - 1, height - 1, 2, palette::kConsoleLine);
    for (int x = kTagFrameFull; x < width; ++x) {
        const float fade = static_cast<float>(x - kTagFrameFull) / (width - kTagFrameFull);
        for (int y = 0; y < height; ++y) {
            Plot(image, x, y, Mix(PixelAt(image, x, y), palette::kConsoleDeep, fade));
        }
    }
    // The cut corners show the floor on the left, the faded strip colour
    // on the right.
    for (const int x : {0, 1, width - 2, width - 1}) {
        for (const int y : {0, 1, height - 2, height - 1}) {
            const int fromCorner = std::min(x, width - 1 - x) + std::min(y, height - 1 - y);
            if (fromCorner < 2) {
                Plot(image, x, y, x < width / 2 ? Rgb{} : palette::kConsoleDeep);
            }
        }
    }
    return image;
}

// The panel's bands: a header for the countdown, then one slot for each
// experience line. The two slots are alike row for row, so equal numbers
// look the same in both lines.
constexpr int kBandHeight = 16;
constexpr int kHeaderBandTop = 1;
constexpr int kFirstSlotTop = 50;
constexpr int kSecondSlotTop = 70;
constexpr int kGripMarks = 4;
constexpr int kPanelChamfer = 5;

// The header for the countdown, a faint dot grid like the pad's, and the
// two slots for the experience lines.
void PaintPanelBands(Image& image) {
    const int width = image.width;
    FillRect(image, 1, 1, width - 2, image.height - 1, palette::kConsoleFill);
    FillRect(image, 2, kHeaderBandTop + 1, width - 4, kBandHeight - 1, palette::kTagChip);
    for (const int top : {kFirstSlotTop, kSecondSlotTop}) {
        FillRect(image, 2, top, width - 4, kBandHeight, palette::kConsoleSlot);
    }
    for (int y = kHeaderBandTop + kBandHeight + 5; y < kFirstSlotTop - 2; y += 8) {
        for (int x = 6; x < width - 4; x += 8) {
            Plot(image, x, y, palette::kConsoleDot);
        }
    }
    // Grip marks at the header's right end, clear of the countdown text.
    for (int k = 0; k < kGripMarks; ++k) {
        const int x = width - 1 - kPanelChamfer - 4 - 5 * (kGripMarks - k);
        DrawLine(image, x, kHeaderBandTop + kBandHeight - 3, x + 8, kHeaderBandTop + 3,
                 palette::kConsoleFill);
    }
}

// The frame over the top and down both sides, with bright brackets round
// the cut top corners, like the pad's.
void PaintPanelFrame(Image& image) {
    const int right = image.width - 1;
    const int c = kPanelChamfer;
    const int arm = 12;
    for (int i = 0; i < c; ++i) {
        DrawLine(image, 0, i, c - 1 - i, i, Rgb{});
        DrawLine(image, right - c + 1 + i, i, right, i, Rgb{});
    }
    DrawLine(image, c, 0, right - c, 0, palette::kConsoleLine);
    DrawLine(image, 0, c, 0, image.height - 1, palette::kConsoleLine);
    DrawLine(image, right, c, right, image.height - 1, palette::kConsoleLine);
    DrawLine(image, 0, c, c, 0, palette::kConsoleBracket);
    DrawLine(image, right - c, 0, right, c, palette::kConsoleBracket);
    DrawLine(image, c, 0, c + arm, 0, palette::kConsoleBracket);
    DrawLine(image, right - c - arm, 0, right - c, 0, palette::kConsoleBracket);
    DrawLine(image, 0, c, 0, c + arm, palette::kConsoleBracket);
    DrawLine(image, right, c, right, c + arm, palette::kConsoleBracket);
}

// The panel: a framed console screen whose foot is open, because the HUD
// strip of the background closes it wherever the panel is drawn.
Image PaintHudPanel(int width, int height) {
    Image image = MakeImage(width, height);
    PaintPanelBands(image);
    PaintPanelFrame(image);
    return image;
}

} // namespace

Image PaintEraser(int width, int height) {
    if (height <= kTagPlateMaxHeight) {
        return PaintTagPlate(width, height);
    }
    return PaintHudPanel(width, height);
}
