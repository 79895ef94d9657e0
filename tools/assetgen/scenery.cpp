// The background with its home base, the text erasers and the desktop icon.

#include "palette.h"
#include "sprites.h"

namespace {

// The background covers the HUD strip below the 480-pixel playfield too: a
// new game redraws it whole, which also wipes what bodies, tags or grenades
// left in the strip when everything jumped back to its start.
constexpr int kFieldWidth = 640;
constexpr int kFieldHeight = 530;

// The base is kept dim: every sprite is an opaque rectangle with a black
// margin, so bright markings would show black boxes around the players.
constexpr Rgb kPadLine = {20, 38, 78};
constexpr Rgb kPadBracket = {48, 96, 184};
constexpr Rgb kPadDot = {14, 24, 48};
constexpr Rgb kHomeLine = {70, 24, 30};
constexpr Rgb kChevron = {90, 30, 36};

// The edges of the landing pad: a 1 pixel frame with clipped corners.
constexpr int kPadFirst = 1;
constexpr int kPadLast = 127;
constexpr int kPadCorner = 5;

void PaintPadFrame(Image& image) {
    const int a = kPadFirst;
    const int b = kPadLast;
    const int c = kPadCorner;
    DrawLine(image, a + c, a, b - c, a, kPadLine);
    DrawLine(image, a + c, b, b - c, b, kPadLine);
    DrawLine(image, a, a + c, a, b - c, kPadLine);
    DrawLine(image, b, a + c, b, b - c, kPadLine);
    DrawLine(image, a, a + c, a + c, a, kPadLine);
    DrawLine(image, b - c, a, b, a + c, kPadLine);
    DrawLine(image, a, b - c, a + c, b, kPadLine);
    DrawLine(image, b - c, b, b, b - c, kPadLine);
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

} // namespace

Image PaintBackground() {
    Image image = MakeImage(kFieldWidth, kFieldHeight);
    PaintPadGrid(image);
    PaintPadFrame(image);
    PaintHomeCorner(image);
    PaintPadBrackets(image);
    return image;
}

Image PaintEraser(int width, int height) {
    return MakeImage(width, height);
}
