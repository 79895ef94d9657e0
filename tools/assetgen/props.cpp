// Flags, the roadblock, the grenade and the two lasers.

#include "palette.h"
#include "sprites.h"

#include <cmath>

namespace {

constexpr int kFlagWidth = 24;
constexpr int kFlagHeight = 28;
constexpr int kClothLeft = 7;
constexpr int kClothRight = 20;
constexpr int kClothTop = 4;
constexpr int kClothRows = 11;

// How far a column of the waving cloth is lowered, and how it catches the
// light: rising slopes face the light, falling ones turn away.
int WaveDrop(int column) {
    return static_cast<int>(std::lround(1.3 * std::sin((column - kClothLeft) * 0.55)));
}
int WaveTone(int column) {
    const double slope = std::cos((column - kClothLeft) * 0.55);
    if (slope > 0.5) {
        return 2;
    }
    if (slope < -0.5) {
        return 0;
    }
    return 1;
}

// The swallowtail: the last columns of the cloth lose their middle rows.
bool InNotch(int column, int row) {
    const int depth = column - (kClothRight - 3);
    const int middle = kClothRows / 2;
    return depth > 0 && row > middle - depth && row < middle + depth;
}

// A flag on a steel pole with a gold finial; the cloth waves in the wind,
// ends in a swallowtail and carries a white disc.
Image PaintFlag(const Ramp& cloth, Rgb ink) {
    Image image = MakeImage(kFlagWidth, kFlagHeight);
    Mask mask = MakeMask(kFlagWidth, kFlagHeight);
    for (int x = kClothLeft; x <= kClothRight; ++x) {
        for (int row = 0; row < kClothRows; ++row) {
            if (!InNotch(x, row)) {
                MaskSet(mask, x, kClothTop + WaveDrop(x) + row);
            }
        }
    }
    Outline(image, mask, ink);
    for (int x = kClothLeft; x <= kClothRight; ++x) {
        const int top = kClothTop + WaveDrop(x);
        for (int row = 0; row < kClothRows; ++row) {
            if (!InNotch(x, row)) {
                Plot(image, x, top + row, cloth.tones[WaveTone(x) + (row == 0 ? 1 : 0)]);
            }
        }
    }
    // The disc, riding the wave.
    const int centre = 12;
    const int mid = kClothTop + WaveDrop(centre) + kClothRows / 2;
    FillRect(image, centre - 1, mid - 2, 3, 5, palette::kWhite);
    FillRect(image, centre - 2, mid - 1, 5, 3, palette::kWhite);

    Mask pole = MakeMask(kFlagWidth, kFlagHeight);
    MaskRect(pole, 4, 4, 2, 20);
    Outline(image, pole, palette::kSteelInk);
    ShadeBevel(image, pole, palette::kSteel);
    // The finial and the foot of the pole.
    FillRect(image, 3, 2, 4, 2, palette::kGold.tones[2]);
    Plot(image, 3, 2, palette::kGold.tones[3]);
    Plot(image, 6, 3, palette::kGold.tones[1]);
    FillRect(image, 2, 24, 8, 2, palette::kDarkSteel.tones[2]);
    FillRect(image, 2, 25, 8, 1, palette::kDarkSteel.tones[1]);
    return image;
}

// A laser bolt along the falling diagonal: a white-hot core with a
// coloured glow, fading at both tips. Both kinds fly along that diagonal.
Image PaintLaser(const Ramp& glow) {
    const int side = 2 * kLaserMargin + 5;
    Image image = MakeImage(side, side);
    const int first = kLaserMargin;
    const int last = side - 1 - kLaserMargin;
    for (int i = first; i <= last; ++i) {
        const bool tip = i == first || i == last;
        Plot(image, i, i, tip ? glow.tones[2] : glow.tones[3]);
        if (i < last) {
            Plot(image, i + 1, i, tip ? glow.tones[0] : glow.tones[1]);
            Plot(image, i, i + 1, tip ? glow.tones[0] : glow.tones[1]);
        }
    }
    return image;
}

// One stripe of the barrier board: red and white bands on the diagonal.
Rgb BarrierStripe(int x, int y) {
    return ((x + y) / 4) % 2 == 0 ? palette::kBarrierPaint.tones[1]
                                  : palette::kBarrierPaint.tones[2];
}

} // namespace

Image PaintBlueFlag() {
    return PaintFlag(palette::kBlueArmour, palette::kBlueInk);
}
Image PaintRedFlag() {
    return PaintFlag(palette::kRedArmour, palette::kRedInk);
}

Image PaintPlayerLaser() {
    return PaintLaser(palette::kCyanGlow);
}
Image PaintEnemyLaser() {
    return PaintLaser(palette::kEmberGlow);
}

Image PaintRoadblock() {
    Image image = MakeImage(48, 24);
    // Two trestle legs standing on feet.
    for (const int x : {9, 36}) {
        Mask leg = MakeMask(image.width, image.height);
        MaskRect(leg, x, 12, 3, 8);
        Outline(image, leg, palette::kSteelInk);
        ShadeBevel(image, leg, palette::kSteel);
        FillRect(image, x - 4, 20, 11, 2, palette::kDarkSteel.tones[2]);
        FillRect(image, x - 4, 21, 11, 1, palette::kDarkSteel.tones[1]);
    }
    // The striped board.
    Mask board = MakeMask(image.width, image.height);
    MaskRect(board, 3, 5, 42, 7);
    Outline(image, board, palette::kSteelInk);
    for (int y = 5; y < 12; ++y) {
        for (int x = 3; x < 45; ++x) {
            Plot(image, x, y, BarrierStripe(x, y));
        }
    }
    for (int x = 3; x < 45; ++x) {
        Plot(image, x, 11, palette::kBarrierPaint.tones[0]);
    }
    // Amber warning lamps on top.
    for (const int x : {9, 36}) {
        FillRect(image, x, 2, 3, 2, palette::kGold.tones[2]);
        Plot(image, x, 2, palette::kGold.tones[3]);
        Plot(image, x + 1, 1, palette::kGold.tones[1]);
    }
    return image;
}

Image PaintGrenade() {
    const int side = 2 * kGrenadeMargin + 8;
    Image image = MakeImage(side, side);
    Mask body = MakeMask(side, side);
    MaskEllipse(body, 6.0f, 6.5f, 3.0f, 2.5f);
    Outline(image, body, palette::kSteelInk);
    ShadeSphere(image, body, 6.0f, 6.5f, 3.0f, 2.5f, palette::kOlive);
    // The segment groove, the fuse cap and the ring of the pin.
    Plot(image, 6, 5, palette::kOlive.tones[0]);
    Plot(image, 6, 7, palette::kOlive.tones[0]);
    FillRect(image, 5, 2, 2, 2, palette::kSteel.tones[2]);
    Plot(image, 7, 2, palette::kGold.tones[2]);
    Plot(image, 8, 3, palette::kGold.tones[1]);
    return image;
}
