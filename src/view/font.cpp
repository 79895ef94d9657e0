// Loading a font directory into one tinted sheet with per-pixel alpha.
#include "view/font.h"

#include <cstdio>
#include <new>

Font* plainFont = nullptr;
Font* hudFont = nullptr;

// The directory name, the slash, an 8-character file name and the NUL must
// fit in this, which leaves 90 characters for the directory.
static constexpr int kPathSize = 100;
// A side this large already means a 64 MiB sheet; anything above it is a
// broken font.ini rather than a real font. Below 16 the cells would be zero
// pixels wide and every text invisible.
static constexpr std::int32_t kMaxSide = 4096;
static constexpr std::int32_t kMinSide = 16;
static constexpr int kWidthCount = 256;

struct Tint {
    float red;
    float green;
    float blue;
    float alpha;
};

// Opens directory/name for reading, or gives null when the file is missing
// or the joined path would not fit the path buffer.
static std::FILE* OpenFontFile(const char* directory, const char* name) {
    char path[kPathSize];
    const int length = std::snprintf(path, sizeof path, "%s/%s", directory, name);
    if (length < 0 || length >= kPathSize) {
        return nullptr;
    }
    return std::fopen(path, "rb");
}

// Reading past the end of a short file gives a full byte, as if the file had
// been padded with 255. A read error gives the same byte, so callers test
// std::ferror once the file has been read: a font.raw that is a directory
// must not pass for a fully covered sheet. After the end or an error no
// further read is tried, which would only fail again, a system call each.
static std::uint8_t ReadByte(std::FILE* file) {
    if (std::feof(file) || std::ferror(file)) {
        return 255;
    }
    const int byte = std::fgetc(file);
    return static_cast<std::uint8_t>(byte == EOF ? 255 : byte);
}

// Closes a file that was only read; false if any read from it failed.
static bool CloseAfterReading(std::FILE* file) {
    const bool readWell = std::ferror(file) == 0;
    std::fclose(file);
    return readWell;
}

// NaN is taken as 0 so that the later float-to-int conversions stay defined.
static float ClampFactor(float factor) {
    if (!(factor >= 0.0f)) {
        return 0.0f;
    }
    return factor > 1.0f ? 1.0f : factor;
}

static std::uint8_t ColourByte(float factor) {
    return static_cast<std::uint8_t>(static_cast<int>(factor * 255.0f));
}

static bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The first word of font.ini as a side from 1 to kMaxSide, or 0 when the
// word is not wholly decimal digits or its value does not fit. Leading
// zeros are fine; the word is read to its end, so "0000000256" is 256 and
// "2560000000" is refused rather than cut short.
static std::int32_t ReadSideWord(std::FILE* file) {
    int c = std::fgetc(file);
    while (IsSpace(c)) {
        c = std::fgetc(file);
    }
    std::int32_t side = 0;
    bool digits = false;
    for (; c != EOF && !IsSpace(c); c = std::fgetc(file)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        digits = true;
        side = side * 10 + (c - '0');
        if (side > kMaxSide) {
            return 0;
        }
    }
    return digits ? side : 0;
}

// The side N of the sheet, or 0 when font.ini is missing, unreadable or
// does not hold a usable side.
static std::int32_t ReadSide(const char* directory) {
    std::FILE* file = OpenFontFile(directory, "font.ini");
    if (file == nullptr) {
        return 0;
    }
    const std::int32_t side = ReadSideWord(file);
    if (!CloseAfterReading(file) || side < kMinSide) {
        return 0;
    }
    return side;
}

// Every pixel gets the tint's colour; only the alpha carries the glyphs.
static bool ReadCoverage(const char* directory, std::uint8_t* pixels, std::int32_t side,
                         Tint tint) {
    std::FILE* file = OpenFontFile(directory, "font.raw");
    if (file == nullptr) {
        return false;
    }
    const std::uint8_t red = ColourByte(tint.red);
    const std::uint8_t green = ColourByte(tint.green);
    const std::uint8_t blue = ColourByte(tint.blue);
    const std::int32_t count = side * side;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t coverage = ReadByte(file);
        std::uint8_t* pixel = pixels + 4 * static_cast<std::size_t>(i);
        pixel[0] = red;
        pixel[1] = green;
        pixel[2] = blue;
        pixel[3] = static_cast<std::uint8_t>(static_cast<int>(coverage * tint.alpha));
    }
    return CloseAfterReading(file);
}

// The RGBA bytes converted to the display format; the buffer itself stays
// with the font, since the converted surface holds its own copy.
static SDL_Surface* MakeSheet(std::uint8_t* pixels, std::int32_t side) {
    SDL_Surface* wrapped = SDL_CreateRGBSurfaceFrom(pixels, side, side, 32, 4 * side, 0x000000FF,
                                                    0x0000FF00, 0x00FF0000, 0xFF000000);
    if (wrapped == nullptr) {
        return nullptr;
    }
    SDL_Surface* sheet = SDL_DisplayFormatAlpha(wrapped);
    SDL_FreeSurface(wrapped);
    return sheet;
}

static bool ReadWidths(const char* directory, std::int32_t* widths) {
    std::FILE* file = OpenFontFile(directory, "font.dat");
    if (file == nullptr) {
        return false;
    }
    for (int c = 0; c < kWidthCount; ++c) {
        widths[c] = ReadByte(file);
    }
    return CloseAfterReading(file);
}

// Builds the parts in load order; the caller releases whatever was made
// when this reports a failure.
static bool FillFont(Font* font, const char* directory, Tint tint) {
    const std::size_t bytes = 4 * static_cast<std::size_t>(font->size) * font->size;
    font->pixels = new (std::nothrow) std::uint8_t[bytes];
    if (font->pixels == nullptr || !ReadCoverage(directory, font->pixels, font->size, tint)) {
        return false;
    }
    font->surface = MakeSheet(font->pixels, font->size);
    if (font->surface == nullptr) {
        return false;
    }
    font->widths = new (std::nothrow) std::int32_t[kWidthCount];
    return font->widths != nullptr && ReadWidths(directory, font->widths);
}

Font* LoadFont(const char* directory, float red, float green, float blue, float alpha) {
    const std::int32_t side = ReadSide(directory);
    if (side == 0) {
        return nullptr;
    }
    Font* font = new (std::nothrow) Font{};
    if (font == nullptr) {
        return nullptr;
    }
    font->size = side;
    font->cellSize = side / 16;
    const Tint tint = {ClampFactor(red), ClampFactor(green), ClampFactor(blue), ClampFactor(alpha)};
    if (!FillFont(font, directory, tint)) {
        FreeFont(font);
        return nullptr;
    }
    return font;
}

Font* LoadWhiteFont(const char* directory) {
    return LoadFont(directory, 1.0f, 1.0f, 1.0f, 1.0f);
}

Font* LoadTintedFont(const char* directory, float red, float green, float blue) {
    return LoadFont(directory, red, green, blue, 1.0f);
}

// Also takes the half-built fonts of a failed load, whose missing parts are
// still null.
void FreeFont(Font* font) {
    delete[] font->widths;
    delete[] font->pixels;
    if (font->surface != nullptr) {
        SDL_FreeSurface(font->surface);
    }
    delete font;
}
