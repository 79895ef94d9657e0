#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

Image MakeImage(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Rgb{});
    return image;
}

Mask MakeMask(int width, int height) {
    Mask mask;
    mask.width = width;
    mask.height = height;
    mask.cells.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return mask;
}

bool IsBlack(Rgb colour) {
    return colour.r == 0 && colour.g == 0 && colour.b == 0;
}

bool InImage(const Image& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width && y < image.height;
}

static std::size_t IndexOf(int width, int x, int y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

Rgb PixelAt(const Image& image, int x, int y) {
    if (!InImage(image, x, y)) {
        return Rgb{};
    }
    return image.pixels[IndexOf(image.width, x, y)];
}

// Drawing is clipped silently, so painters may sketch past the canvas edge.
void Plot(Image& image, int x, int y, Rgb colour) {
    if (InImage(image, x, y)) {
        image.pixels[IndexOf(image.width, x, y)] = colour;
    }
}

void FillRect(Image& image, int x, int y, int width, int height, Rgb colour) {
    for (int row = y; row < y + height; ++row) {
        for (int col = x; col < x + width; ++col) {
            Plot(image, col, row, colour);
        }
    }
}

// Bresenham, so diagonal strokes stay one pixel wide and crisp.
// The pixels of the line from (x0, y0) to (x1, y1), both ends included
// (Bresenham's integer walk).
static std::vector<std::pair<int, int>> LinePixels(int x0, int y0, int x1, int y1) {
    std::vector<std::pair<int, int>> pixels;
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        pixels.emplace_back(x0, y0);
        if (x0 == x1 && y0 == y1) {
            return pixels;
        }
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x0 += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

void DrawLine(Image& image, int x0, int y0, int x1, int y1, Rgb colour) {
    for (const auto& [x, y] : LinePixels(x0, y0, x1, y1)) {
        Plot(image, x, y, colour);
    }
}

void CopyImage(Image& target, const Image& source, int x, int y) {
    for (int row = 0; row < source.height; ++row) {
        for (int col = 0; col < source.width; ++col) {
            Plot(target, x + col, y + row, PixelAt(source, col, row));
        }
    }
}

bool MaskAt(const Mask& mask, int x, int y) {
    if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) {
        return false;
    }
    return mask.cells[IndexOf(mask.width, x, y)] != 0;
}

void MaskSet(Mask& mask, int x, int y) {
    if (x >= 0 && y >= 0 && x < mask.width && y < mask.height) {
        mask.cells[IndexOf(mask.width, x, y)] = 1;
    }
}

// Pixel centres are tested, which keeps small ellipses symmetric.
void MaskEllipse(Mask& mask, float cx, float cy, float rx, float ry) {
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const float nx = (static_cast<float>(x) + 0.5f - cx) / rx;
            const float ny = (static_cast<float>(y) + 0.5f - cy) / ry;
            if (nx * nx + ny * ny <= 1.0f) {
                MaskSet(mask, x, y);
            }
        }
    }
}

void MaskRect(Mask& mask, int x, int y, int width, int height) {
    for (int row = y; row < y + height; ++row) {
        for (int col = x; col < x + width; ++col) {
            MaskSet(mask, col, row);
        }
    }
}

// A thick stroke: a square brush dragged along a Bresenham line.
void MaskLine(Mask& mask, int x0, int y0, int x1, int y1, int thickness) {
    for (const auto& [x, y] : LinePixels(x0, y0, x1, y1)) {
        MaskRect(mask, x, y, thickness, thickness);
    }
}

void MaskMerge(Mask& target, const Mask& source) {
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            if (MaskAt(source, x, y)) {
                MaskSet(target, x, y);
            }
        }
    }
}

// Lambert lighting quantised to the ramp; the thresholds are tuned so that a
// sphere shows a small highlight, a broad lit side and a crescent of shade.
void ShadeSphere(Image& image, const Mask& mask, float cx, float cy, float rx, float ry,
                 const Ramp& ramp) {
    const float lx = -0.55f;
    const float ly = -0.65f;
    const float lz = 0.52f;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (!MaskAt(mask, x, y)) {
                continue;
            }
            const float nx = (static_cast<float>(x) + 0.5f - cx) / rx;
            const float ny = (static_cast<float>(y) + 0.5f - cy) / ry;
            const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
            const float light = nx * lx + ny * ly + nz * lz;
            int tone = 0;
            if (light > 0.85f) {
                tone = 3;
            } else if (light > 0.45f) {
                tone = 2;
            } else if (light > 0.05f) {
                tone = 1;
            }
            Plot(image, x, y, ramp.tones[tone]);
        }
    }
}

void ShadeBevel(Image& image, const Mask& mask, const Ramp& ramp) {
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (!MaskAt(mask, x, y)) {
                continue;
            }
            Rgb colour = ramp.tones[2];
            if (!MaskAt(mask, x, y - 1) || !MaskAt(mask, x - 1, y)) {
                colour = ramp.tones[3];
            }
            if (!MaskAt(mask, x, y + 1) || !MaskAt(mask, x + 1, y)) {
                colour = ramp.tones[1];
            }
            Plot(image, x, y, colour);
        }
    }
}

void Outline(Image& image, const Mask& mask, Rgb colour) {
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (MaskAt(mask, x, y)) {
                continue;
            }
            if (MaskAt(mask, x - 1, y) || MaskAt(mask, x + 1, y) || MaskAt(mask, x, y - 1) ||
                MaskAt(mask, x, y + 1)) {
                Plot(image, x, y, colour);
            }
        }
    }
}

static std::uint8_t MixChannel(std::uint8_t from, std::uint8_t to, float part) {
    const float value = static_cast<float>(from) + (static_cast<float>(to) - from) * part;
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 255.0f)));
}

Rgb Mix(Rgb from, Rgb to, float part) {
    return {MixChannel(from.r, to.r, part), MixChannel(from.g, to.g, part),
            MixChannel(from.b, to.b, part)};
}

void DrawChamferedFrame(Image& image, int x0, int y0, int x1, int y1, int chamfer, Rgb colour) {
    const int c = chamfer;
    DrawLine(image, x0 + c, y0, x1 - c, y0, colour);
    DrawLine(image, x0 + c, y1, x1 - c, y1, colour);
    DrawLine(image, x0, y0 + c, x0, y1 - c, colour);
    DrawLine(image, x1, y0 + c, x1, y1 - c, colour);
    DrawLine(image, x0, y0 + c, x0 + c, y0, colour);
    DrawLine(image, x1 - c, y0, x1, y0 + c, colour);
    DrawLine(image, x0, y1 - c, x0 + c, y1, colour);
    DrawLine(image, x1 - c, y1, x1, y1 - c, colour);
}
