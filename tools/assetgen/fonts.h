// The HUD's bitmap fonts: a 256x256 coverage sheet of 16x16 cells plus an
// advance width per character code, rasterised from a TrueType face.
//
// The game cuts each glyph out of its cell as a rectangle (width + 2) wide
// and a full cell high, centred on the cell's middle column, and blends it
// at the pen. Every glyph keeps the first two columns and rows of that
// rectangle empty: a bounty tag that slid right or down by two pixels then
// leaves no ink outside the tag eraser's new position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSheetSide = 256;
constexpr int kCellSize = kSheetSide / 16;
constexpr int kGlyphGap = 2;     // empty leading columns and rows of every glyph
constexpr int kExtraColumns = 2; // the game copies two columns past the advance

struct FontSheet {
    std::vector<std::uint8_t> coverage; // kSheetSide * kSheetSide, 0 empty .. 255 full
    std::uint8_t widths[256] = {};      // advance width of each character code
};

// Rasterises the printable ASCII characters of the face at the given pixel
// size. Returns false, with a message on stderr, when the face cannot be
// read or a glyph does not fit its cell.
bool RenderFontSheet(const std::string& fontFile, int pixelSize, FontSheet& sheet);

// Writes font.ini, font.raw and font.dat into the (existing) directory.
bool WriteFontDirectory(const std::string& directory, const FontSheet& sheet);

// The sum of the advance widths of the text, as the game's pen moves.
int TextAdvance(const FontSheet& sheet, const std::string& text);

// How many pixels right of its x the drawn text reaches: the advance plus
// the two extra columns of the last glyph rectangle.
int TextReach(const FontSheet& sheet, const std::string& text);

// The widest a printed 32-bit int can be: eleven of the widest of the
// digits and the minus sign.
int WidestIntAdvance(const FontSheet& sheet);
