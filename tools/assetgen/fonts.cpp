#include "fonts.h"

#include "file_output.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kFirstPrintable = 32;
constexpr int kLastPrintable = 126;
constexpr int kMaxAdvance = kCellSize - kGlyphGap; // keeps each rectangle off its neighbours
constexpr int kInkRows = kCellSize - kGlyphGap;

// Light hinting snaps the horizontal stems to whole pixels, which keeps
// small HUD text crisp without distorting the letter widths.
constexpr FT_Int32 kLoadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT;

struct GlyphBox {
    int left = 0;    // first ink column, relative to the pen
    int top = 0;     // rows of ink above the baseline
    int width = 0;   // ink columns
    int height = 0;  // ink rows
    int advance = 0; // whole pixels
};

GlyphBox BoxOf(FT_GlyphSlot slot) {
    GlyphBox box;
    box.left = slot->bitmap_left;
    box.top = slot->bitmap_top;
    box.width = static_cast<int>(slot->bitmap.width);
    box.height = static_cast<int>(slot->bitmap.rows);
    box.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    return box;
}

// The ink starts right after the two empty columns; a glyph that reaches
// left of its pen (like j) is pushed right instead of being cut.
int InkColumn(const GlyphBox& box) {
    return kGlyphGap + std::max(0, box.left);
}

// The advance must cover the ink, which may use columns 2 .. width + 1 of
// the rectangle, so a glyph wider than its natural advance gets wider.
int AdvanceOf(const GlyphBox& box) {
    return std::max(box.advance, InkColumn(box) + box.width - kGlyphGap);
}

// The highest ink above the baseline over all printable glyphs: the
// baseline sits that far below the two empty rows.
bool FindAscent(FT_Face face, int& ascent) {
    ascent = 0;
    for (int code = kFirstPrintable; code <= kLastPrintable; ++code) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), kLoadFlags) != 0) {
            std::fprintf(stderr, "flagrun-assetgen: cannot render character %d\n", code);
            return false;
        }
        ascent = std::max(ascent, BoxOf(face->glyph).top);
    }
    return true;
}

// Copies one rendered glyph into its cell, or fails if it would not fit.
bool PlaceGlyph(FT_GlyphSlot slot, int code, int baseline, FontSheet& sheet) {
    const GlyphBox box = BoxOf(slot);
    const int advance = AdvanceOf(box);
    // A glyph that hangs below the cell (the underscore at small sizes) is
    // lifted just enough to fit; every other glyph keeps the baseline.
    const int overhang = baseline - box.top + box.height - kCellSize;
    const int firstRow = baseline - box.top - std::max(0, overhang);
    const int cellX = (code % 16) * kCellSize;
    const int cellY = (code / 16) * kCellSize;
    const int rectX = cellX + kCellSize / 2 - advance / 2;
    // The last column of the sheet has no neighbour to lend it room.
    const bool insideSheet = rectX + advance + kExtraColumns <= kSheetSide;
    if (advance > kMaxAdvance || !insideSheet || firstRow < kGlyphGap ||
        firstRow + box.height > kCellSize) {
        std::fprintf(stderr, "flagrun-assetgen: character %d does not fit a %d pixel cell\n", code,
                     kCellSize);
        return false;
    }
    sheet.widths[code] = static_cast<std::uint8_t>(advance);

    // The ink goes inside the rectangle the game cuts for this code.
    const FT_Bitmap& bitmap = slot->bitmap;
    for (int row = 0; row < box.height; ++row) {
        for (int col = 0; col < box.width; ++col) {
            const int x = rectX + InkColumn(box) + col;
            const int y = cellY + firstRow + row;
            const std::uint8_t value = bitmap.buffer[row * bitmap.pitch + col];
            sheet.coverage[static_cast<std::size_t>(y * kSheetSide + x)] = value;
        }
    }
    return true;
}

bool RenderGlyphs(FT_Face face, FontSheet& sheet) {
    int ascent = 0;
    if (!FindAscent(face, ascent)) {
        return false;
    }
    if (ascent > kInkRows) {
        std::fprintf(stderr, "flagrun-assetgen: the face is too tall for a %d pixel cell\n",
                     kCellSize);
        return false;
    }
    const int baseline = kGlyphGap + ascent;
    for (int code = kFirstPrintable; code <= kLastPrintable; ++code) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), kLoadFlags) != 0) {
            return false;
        }
        if (face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            std::fprintf(stderr, "flagrun-assetgen: character %d is not 8-bit coverage\n", code);
            return false;
        }
        if (!PlaceGlyph(face->glyph, code, baseline, sheet)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool RenderFontSheet(const std::string& fontFile, int pixelSize, FontSheet& sheet) {
    sheet.coverage.assign(static_cast<std::size_t>(kSheetSide * kSheetSide), 0);
    std::fill(std::begin(sheet.widths), std::end(sheet.widths), std::uint8_t{0});

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "flagrun-assetgen: cannot start FreeType\n");
        return false;
    }
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, fontFile.c_str(), 0, &face) == 0;
    if (!ok) {
        std::fprintf(stderr, "flagrun-assetgen: cannot read font file %s\n", fontFile.c_str());
    }
    if (ok && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        std::fprintf(stderr, "flagrun-assetgen: cannot size font %s\n", fontFile.c_str());
        ok = false;
    }
    if (ok) {
        ok = RenderGlyphs(face, sheet);
    }
    if (face != nullptr) {
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return ok;
}

bool WriteFontDirectory(const std::string& directory, const FontSheet& sheet) {
    const std::vector<std::uint8_t> widths(std::begin(sheet.widths), std::end(sheet.widths));
    return WriteFileText(directory + "/font.ini", std::to_string(kSheetSide) + "\n") &&
           WriteFileBytes(directory + "/font.raw", sheet.coverage) &&
           WriteFileBytes(directory + "/font.dat", widths);
}

int TextAdvance(const FontSheet& sheet, const std::string& text) {
    int advance = 0;
    for (const char c : text) {
        advance += sheet.widths[static_cast<unsigned char>(c)];
    }
    return advance;
}

int TextReach(const FontSheet& sheet, const std::string& text) {
    return TextAdvance(sheet, text) + kExtraColumns;
}

int WidestIntAdvance(const FontSheet& sheet) {
    int widest = sheet.widths[static_cast<unsigned char>('-')];
    for (char digit = '0'; digit <= '9'; ++digit) {
        widest = std::max<int>(widest, sheet.widths[static_cast<unsigned char>(digit)]);
    }
    return 11 * widest;
}
