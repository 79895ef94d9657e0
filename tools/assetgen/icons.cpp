// The desktop icons: the blue droid before the red flag, drawn afresh for
// every size from one layout, so each size gets crisp edges and contours.
#include "palette.h"
#include "sprites.h"

#include <algorithm>
#include <cmath>

namespace {

// The layout is drawn on a 64-unit square; Unit() maps it to pixels.
constexpr float kLayoutSide = 64.0f;
// Below this size feet, arm pods, antenna rod and chest core would be a
// pixel or two of noise, so the smallest icon leaves them out.
constexpr int kDetailSize = 32;
constexpr Rgb kVisorGlass = {14, 22, 46};

struct IconCanvas {
    Image image;
    float scale = 1.0f;
    int contour = 1; // the contour width in pixels
};

float Unit(const IconCanvas& canvas, float value) {
    return value * canvas.scale;
}

int Pixel(const IconCanvas& canvas, float value) {
    return static_cast<int>(std::lround(Unit(canvas, value)));
}

Mask EmptyMask(const IconCanvas& canvas) {
    return MakeMask(canvas.image.width, canvas.image.height);
}

// A layout rectangle as whole pixels, never thinner than one.
Mask RectMask(const IconCanvas& canvas, float x, float y, float width, float height) {
    Mask mask = EmptyMask(canvas);
    const int left = Pixel(canvas, x);
    const int top = Pixel(canvas, y);
    const int right = std::max(left + 1, Pixel(canvas, x + width));
    const int bottom = std::max(top + 1, Pixel(canvas, y + height));
    MaskRect(mask, left, top, right - left, bottom - top);
    return mask;
}

// Paints every pixel within the contour width of the mask, outside it: a
// round contour that is as heavy at 256 pixels as one pixel is at 64.
void PaintContour(IconCanvas& canvas, const Mask& mask, Rgb ink) {
    const int reach = canvas.contour;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (MaskAt(mask, x, y)) {
                continue;
            }
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy) {
                for (int dx = -reach; dx <= reach && !near; ++dx) {
                    near = dx * dx + dy * dy <= reach * reach && MaskAt(mask, x + dx, y + dy);
                }
            }
            if (near) {
                Plot(canvas.image, x, y, ink);
            }
        }
    }
}

void PaintFill(IconCanvas& canvas, const Mask& mask, Rgb colour) {
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (MaskAt(mask, x, y)) {
                Plot(canvas.image, x, y, colour);
            }
        }
    }
}

// Parts are painted back to front, each with its contour first, so a later
// part is cut off from an earlier one by a dark line.
void PaintBall(IconCanvas& canvas, float cx, float cy, float rx, float ry, const Ramp& ramp,
               Rgb ink) {
    Mask mask = EmptyMask(canvas);
    const float x = Unit(canvas, cx);
    const float y = Unit(canvas, cy);
    const float radiusX = std::max(0.75f, Unit(canvas, rx));
    const float radiusY = std::max(0.75f, Unit(canvas, ry));
    MaskEllipse(mask, x, y, radiusX, radiusY);
    PaintContour(canvas, mask, ink);
    ShadeSphere(canvas.image, mask, x, y, radiusX, radiusY, ramp);
}

void PaintPlate(IconCanvas& canvas, const Mask& mask, const Ramp& ramp, Rgb ink) {
    PaintContour(canvas, mask, ink);
    ShadeBevel(canvas.image, mask, ramp);
}

// A flag with a swallowtail, on a pole topped by a gold knob.
void PaintFlag(IconCanvas& canvas) {
    PaintPlate(canvas, RectMask(canvas, 38.0f, 5.0f, 3.0f, 55.0f), palette::kSteel,
               palette::kSteelInk);
    Mask cloth = EmptyMask(canvas);
    const float left = Unit(canvas, 41.0f);
    const float top = Unit(canvas, 8.0f);
    const float right = Unit(canvas, 62.0f);
    const float bottom = Unit(canvas, 30.0f);
    const float middle = (top + bottom) / 2.0f;
    const float notch = Unit(canvas, 7.0f);
    for (int y = 0; y < cloth.height; ++y) {
        for (int x = 0; x < cloth.width; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float py = static_cast<float>(y) + 0.5f;
            const float tail = notch * (1.0f - std::fabs(py - middle) / (middle - top));
            if (px >= left && px < right - tail && py >= top && py < bottom) {
                MaskSet(cloth, x, y);
            }
        }
    }
    PaintPlate(canvas, cloth, palette::kRedArmour, palette::kRedInk);
    PaintBall(canvas, 39.5f, 5.0f, 3.5f, 3.5f, palette::kGold, palette::kSteelInk);
}

// The visor: dark glass with a glowing slit, brighter in its middle.
void PaintVisor(IconCanvas& canvas) {
    Mask glass = EmptyMask(canvas);
    MaskEllipse(glass, Unit(canvas, 24.0f), Unit(canvas, 32.0f), Unit(canvas, 12.0f),
                std::max(1.0f, Unit(canvas, 4.5f)));
    PaintContour(canvas, glass, palette::kBlueInk);
    PaintFill(canvas, glass, kVisorGlass);
    PaintFill(canvas, RectMask(canvas, 15.0f, 31.0f, 18.0f, 2.0f), palette::kCyanGlow.tones[2]);
    PaintFill(canvas, RectMask(canvas, 19.0f, 31.0f, 10.0f, 2.0f), palette::kCyanGlow.tones[3]);
}

// The droid as the game shows it: round armour, feet, arm pods, visor, the
// power core on its chest and the antenna with its beacon.
void PaintDroid(IconCanvas& canvas, int size) {
    const Rgb ink = palette::kBlueInk;
    if (size >= kDetailSize) {
        PaintPlate(canvas, RectMask(canvas, 13.0f, 51.0f, 8.0f, 9.0f), palette::kSteel, ink);
        PaintPlate(canvas, RectMask(canvas, 27.0f, 51.0f, 8.0f, 9.0f), palette::kSteel, ink);
        PaintBall(canvas, 6.5f, 40.0f, 4.0f, 7.0f, palette::kBlueArmour, ink);
        PaintBall(canvas, 41.5f, 40.0f, 4.0f, 7.0f, palette::kBlueArmour, ink);
        PaintPlate(canvas, RectMask(canvas, 23.0f, 13.0f, 2.0f, 8.0f), palette::kSteel, ink);
    }
    PaintBall(canvas, 24.0f, 37.0f, 17.0f, 17.0f, palette::kBlueArmour, ink);
    PaintVisor(canvas);
    if (size >= kDetailSize) {
        PaintBall(canvas, 24.0f, 45.5f, 3.5f, 3.5f, palette::kCyanGlow, ink);
    }
    PaintBall(canvas, 24.0f, 11.0f, 3.0f, 3.0f, palette::kGold, ink);
}

// Pure black is the ground the parts were painted on: it becomes transparent.
RgbaImage ToRgba(const Image& image) {
    RgbaImage icon;
    icon.width = image.width;
    icon.height = image.height;
    for (const Rgb colour : image.pixels) {
        icon.bytes.push_back(colour.r);
        icon.bytes.push_back(colour.g);
        icon.bytes.push_back(colour.b);
        icon.bytes.push_back(IsBlack(colour) ? 0 : 255);
    }
    return icon;
}

} // namespace

RgbaImage PaintIcon(int size) {
    IconCanvas canvas;
    canvas.image = MakeImage(size, size);
    canvas.scale = static_cast<float>(size) / kLayoutSide;
    canvas.contour = std::max(1, size / 64);
    PaintFlag(canvas);
    PaintDroid(canvas, size);
    return ToRgba(canvas.image);
}
