// The fighters: the blue player droid, the red enemy tank, what is left of
// each of them, and the blast that marks a destroyed enemy. All are 32x32
// with their art inside the inner 28x28, so a 2 pixel black margin remains.

#include "palette.h"
#include "sprites.h"

#include <cmath>

namespace {

constexpr int kBodySide = 32;

// Paints one part of a figure: contour first, then the shaded part over
// it. Drawing parts back to front this way gives every later part a dark
// contour where it overlaps an earlier one.
void PaintSpherePart(Image& image, const Mask& mask, float cx, float cy, float rx, float ry,
                     const Ramp& ramp, Rgb ink) {
    Outline(image, mask, ink);
    ShadeSphere(image, mask, cx, cy, rx, ry, ramp);
}

void PaintEllipsePart(Image& image, float cx, float cy, float rx, float ry, const Ramp& ramp,
                      Rgb ink) {
    Mask mask = MakeMask(image.width, image.height);
    MaskEllipse(mask, cx, cy, rx, ry);
    PaintSpherePart(image, mask, cx, cy, rx, ry, ramp, ink);
}

void PaintPlatePart(Image& image, const Mask& mask, const Ramp& ramp, Rgb ink) {
    Outline(image, mask, ink);
    ShadeBevel(image, mask, ramp);
}

void PaintRectPart(Image& image, int x, int y, int width, int height, const Ramp& ramp, Rgb ink) {
    Mask mask = MakeMask(image.width, image.height);
    MaskRect(mask, x, y, width, height);
    PaintPlatePart(image, mask, ramp, ink);
}

// The droid's eye: a dark glass visor with a glowing slit.
void PaintVisor(Image& image, int y, const Ramp& glow) {
    Mask visor = MakeMask(image.width, image.height);
    MaskEllipse(visor, 16.0f, static_cast<float>(y) + 0.5f, 7.0f, 2.6f);
    Outline(image, visor, palette::kBlueInk);
    for (int row = 0; row < image.height; ++row) {
        for (int col = 0; col < image.width; ++col) {
            if (MaskAt(visor, col, row)) {
                Plot(image, col, row, Rgb{14, 22, 46});
            }
        }
    }
    for (int col = 11; col <= 20; ++col) {
        Plot(image, col, y, glow.tones[2]);
    }
    for (int col = 13; col <= 18; ++col) {
        Plot(image, col, y, glow.tones[3]);
    }
    Plot(image, 11, y - 1, glow.tones[1]);
    Plot(image, 20, y + 1, glow.tones[1]);
}

// Tank tracks: a steel band with darker cleats every third row.
void PaintTrack(Image& image, int x, const Ramp& ramp, Rgb ink) {
    PaintRectPart(image, x, 5, 5, 23, ramp, ink);
    for (int row = 6; row < 27; row += 3) {
        for (int col = x + 1; col < x + 4; ++col) {
            Plot(image, col, row, ramp.tones[0]);
        }
    }
}

} // namespace

Image PaintPlayer() {
    Image image = MakeImage(kBodySide, kBodySide);
    // Feet and arm pods sit behind the round body.
    PaintRectPart(image, 8, 23, 5, 5, palette::kSteel, palette::kBlueInk);
    PaintRectPart(image, 19, 23, 5, 5, palette::kSteel, palette::kBlueInk);
    PaintEllipsePart(image, 5.5f, 17.0f, 2.5f, 4.0f, palette::kBlueArmour, palette::kBlueInk);
    PaintEllipsePart(image, 26.5f, 17.0f, 2.5f, 4.0f, palette::kBlueArmour, palette::kBlueInk);
    PaintEllipsePart(image, 16.0f, 15.5f, 10.0f, 10.0f, palette::kBlueArmour, palette::kBlueInk);
    PaintVisor(image, 12, palette::kCyanGlow);
    // The power core on the chest.
    PaintEllipsePart(image, 16.0f, 20.5f, 2.0f, 2.0f, palette::kCyanGlow, palette::kBlueInk);
    // The antenna with its beacon.
    Plot(image, 16, 4, palette::kSteel.tones[2]);
    Plot(image, 16, 5, palette::kSteel.tones[1]);
    FillRect(image, 15, 2, 2, 2, palette::kGold.tones[2]);
    Plot(image, 15, 2, palette::kGold.tones[3]);
    return image;
}

Image PaintEnemy() {
    Image image = MakeImage(kBodySide, kBodySide);
    PaintTrack(image, 4, palette::kDarkSteel, palette::kRedInk);
    PaintTrack(image, 23, palette::kDarkSteel, palette::kRedInk);
    PaintRectPart(image, 8, 8, 16, 18, palette::kRedArmour, palette::kRedInk);
    // Rivets in the hull's corners.
    for (const int x : {10, 21}) {
        for (const int y : {10, 23}) {
            Plot(image, x, y, palette::kRedArmour.tones[0]);
        }
    }
    // The gun points up and left, the way the enemy shoots.
    Mask barrel = MakeMask(image.width, image.height);
    MaskLine(barrel, 6, 6, 14, 14, 2);
    PaintPlatePart(image, barrel, palette::kSteel, palette::kRedInk);
    FillRect(image, 5, 5, 2, 2, palette::kDarkSteel.tones[1]);
    PaintEllipsePart(image, 16.5f, 17.5f, 5.5f, 5.5f, palette::kRedArmour, palette::kRedInk);
    // The hatch on top of the turret.
    PaintEllipsePart(image, 17.5f, 18.5f, 2.0f, 2.0f, palette::kDarkSteel, palette::kRedInk);
    return image;
}

Image PaintPlayerCorpse() {
    Image image = MakeImage(kBodySide, kBodySide);
    // The droid has toppled onto its back: feet pointing right, dull and
    // dark, one arm pod and the antenna knocked off beside it.
    PaintRectPart(image, 23, 15, 5, 4, palette::kAsh, palette::kBlueInk);
    PaintRectPart(image, 23, 22, 5, 4, palette::kAsh, palette::kBlueInk);
    PaintEllipsePart(image, 14.0f, 20.5f, 10.0f, 7.5f, palette::kDeadBlue, palette::kBlueInk);
    PaintEllipsePart(image, 7.5f, 8.0f, 3.0f, 2.0f, palette::kDeadBlue, palette::kBlueInk);
    // The dead visor with a crack across it.
    for (int row = 17; row <= 23; ++row) {
        Plot(image, 10, row, Rgb{16, 20, 38});
    }
    for (int row = 16; row <= 24; ++row) {
        Plot(image, 9, row, Rgb{22, 28, 50});
    }
    DrawLine(image, 8, 18, 10, 20, Rgb{70, 96, 140});
    Plot(image, 9, 22, palette::kCyanGlow.tones[0]);
    // The antenna and its beacon, gone dim.
    DrawLine(image, 16, 8, 21, 10, palette::kSteel.tones[1]);
    Plot(image, 22, 10, palette::kGold.tones[0]);
    Plot(image, 22, 11, palette::kGold.tones[1]);
    // Bolts scattered on the floor.
    Plot(image, 4, 27, palette::kSteel.tones[1]);
    Plot(image, 27, 7, palette::kSteel.tones[1]);
    Plot(image, 13, 4, palette::kSteel.tones[0]);
    return image;
}

Image PaintEnemyWreck() {
    Image image = MakeImage(kBodySide, kBodySide);
    // Burnt tracks, the hull scorched and the turret knocked askew.
    PaintTrack(image, 4, palette::kAsh, palette::kRedInk);
    PaintTrack(image, 23, palette::kAsh, palette::kRedInk);
    PaintRectPart(image, 8, 8, 16, 18, palette::kScorched, palette::kRedInk);
    Mask barrel = MakeMask(image.width, image.height);
    MaskLine(barrel, 19, 20, 26, 26, 2);
    PaintPlatePart(image, barrel, palette::kAsh, palette::kRedInk);
    PaintEllipsePart(image, 14.5f, 14.5f, 5.0f, 4.5f, palette::kScorched, palette::kRedInk);
    // Soot streaks and glowing embers.
    DrawLine(image, 9, 24, 13, 20, Rgb{30, 16, 14});
    DrawLine(image, 20, 9, 22, 12, Rgb{30, 16, 14});
    Plot(image, 13, 13, palette::kEmberGlow.tones[3]);
    Plot(image, 14, 13, palette::kEmberGlow.tones[2]);
    Plot(image, 13, 14, palette::kEmberGlow.tones[1]);
    Plot(image, 15, 16, palette::kEmberGlow.tones[1]);
    Plot(image, 11, 20, palette::kEmberGlow.tones[2]);
    Plot(image, 20, 22, palette::kEmberGlow.tones[1]);
    return image;
}

// A ragged fireball: the radius wobbles with the angle, and the colour runs
// from a white-hot core out to a dark red rim.
Image PaintExplosion() {
    Image image = MakeImage(kBodySide, kBodySide);
    const float cx = 16.0f;
    const float cy = 16.0f;
    for (int y = 0; y < kBodySide; ++y) {
        for (int x = 0; x < kBodySide; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx;
            const float dy = static_cast<float>(y) + 0.5f - cy;
            const float angle = std::atan2(dy, dx);
            const float reach =
                10.5f + 1.8f * std::sin(5.0f * angle + 0.4f) + 1.2f * std::sin(9.0f * angle + 1.7f);
            const float t = std::sqrt(dx * dx + dy * dy) / reach;
            if (t > 1.0f) {
                continue;
            }
            Rgb colour = Rgb{150, 30, 14};
            if (t < 0.3f) {
                colour = palette::kEmberGlow.tones[3];
            } else if (t < 0.55f) {
                colour = Rgb{255, 214, 70};
            } else if (t < 0.8f) {
                colour = palette::kEmberGlow.tones[2];
            } else if (t < 0.92f) {
                colour = palette::kEmberGlow.tones[1];
            }
            Plot(image, x, y, colour);
        }
    }
    // Flying sparks beyond the fireball.
    const int sparks[][2] = {{3, 9}, {28, 6}, {27, 27}, {5, 26}, {16, 2}, {29, 17}};
    for (const auto& spark : sparks) {
        Plot(image, spark[0], spark[1], palette::kEmberGlow.tones[2]);
    }
    return image;
}
