// A tiny in-memory RGB canvas and the drawing primitives the sprite
// painters are built from. Everything starts pure black, which is also the
// colour of the playfield, so whatever a painter leaves untouched becomes
// the sprite's erasing margin.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row by row from the top-left corner
};

// A four-step colour ramp, darkest first: the shading of one material.
struct Ramp {
    Rgb tones[4];
};

// A boolean footprint of a shape, used to shade it and to outline it.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> cells;
};

Image MakeImage(int width, int height);
Mask MakeMask(int width, int height);

bool IsBlack(Rgb colour);
bool InImage(const Image& image, int x, int y);
Rgb PixelAt(const Image& image, int x, int y);
void Plot(Image& image, int x, int y, Rgb colour);
void FillRect(Image& image, int x, int y, int width, int height, Rgb colour);
void DrawLine(Image& image, int x0, int y0, int x1, int y1, Rgb colour);
void CopyImage(Image& target, const Image& source, int x, int y);

bool MaskAt(const Mask& mask, int x, int y);
void MaskSet(Mask& mask, int x, int y);
void MaskEllipse(Mask& mask, float cx, float cy, float rx, float ry);
void MaskRect(Mask& mask, int x, int y, int width, int height);
void MaskLine(Mask& mask, int x0, int y0, int x1, int y1, int thickness);
void MaskMerge(Mask& target, const Mask& source);

// Paints the mask's pixels lit like a sphere of the given centre and radii,
// with the light from the upper left.
void ShadeSphere(Image& image, const Mask& mask, float cx, float cy, float rx, float ry,
                 const Ramp& ramp);
// Paints the mask's pixels as a flat plate: light on its upper and left
// edges, dark on its lower and right edges, the body in between.
void ShadeBevel(Image& image, const Mask& mask, const Ramp& ramp);
// Paints every pixel that touches the mask (four-neighbourhood) but lies
// outside it, which gives the crisp dark contour of retro sprites.
void Outline(Image& image, const Mask& mask, Rgb colour);
// The colour a fraction `part` of the way from `from` to `to` (0 gives
// `from`, 1 gives `to`), rounded per channel.
Rgb Mix(Rgb from, Rgb to, float part);
// Draws the outline of the rectangle from (x0, y0) to (x1, y1), both
// included, with its corners cut by diagonals `chamfer` pixels long.
void DrawChamferedFrame(Image& image, int x0, int y0, int x1, int y1, int chamfer, Rgb colour);
