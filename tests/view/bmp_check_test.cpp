// Crafted BMP files put to the header check that guards every sprite load.
#include "sdl_fixture.h"
#include "view/bmp_check.h"

#include <cstdint>

namespace {

// A BMP file: a 40-byte header (or `header` bytes), a palette below 16 bits, and the pixel
// bytes its header declares (or `bytes`).
struct BmpCase {
    const char* name;
    bool accepted = false;
    std::int32_t width = 5;
    std::int32_t height = 3;
    std::uint32_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t header = 40;
    std::int32_t shift = 0; // moves the declared start of the pixels
    std::int64_t bytes = -1;
    const char* magic = "BM";
};
const BmpCase kCases[] = {
    {.name = "five by three, rows padded to 16 bytes", .accepted = true},
    {.name = "exactly 4096 pixels wide", .accepted = true, .width = 4096, .height = 1},
    {.name = "4097 pixels wide", .width = 4097, .height = 1},
    {.name = "exactly 4096 rows", .accepted = true, .width = 1, .height = 4096},
    {.name = "4096 rows stored top down", .accepted = true, .width = 2, .height = -4096},
    {.name = "4097 rows stored top down", .width = 2, .height = -4097},
    {.name = "the most negative height", .height = INT32_MIN, .bytes = 48},
    {.name = "4096 by 4096 in 450 bytes", .width = 4096, .height = 4096, .bytes = 396},
    {.name = "one byte short of the last row's padding", .bytes = 47},
    {.name = "bytes after the pixels", .accepted = true, .bytes = 148},
    {.name = "zero width", .width = 0},
    {.name = "negative width", .width = -5, .bytes = 48},
    {.name = "8 bits with a palette", .accepted = true, .bits = 8},
    {.name = "run-length coded", .bits = 8, .compression = 1},
    {.name = "the 12-byte header of OS/2", .accepted = true, .header = 12},
    {.name = "an unknown header size", .header = 20},
    {.name = "7 bits per pixel", .bits = 7},
    {.name = "pixels said to start inside the header", .shift = -10},
    {.name = "not starting with BM", .magic = "MB"},
    {.name = "only the file header", .header = 0, .bytes = 0},
};

void Put(std::string* bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    }
}

std::string MakeBmp(const BmpCase& c) {
    const int word = c.header == 12 ? 2 : 4; // the OS/2 header's sizes are 16-bit
    std::string extra;
    for (int i = 0; c.bits < 16 && i < (1 << c.bits); ++i) {
        Put(&extra, 0x00102030u * i, word == 2 ? 3 : 4);
    }
    const std::int64_t rowBytes = (std::int64_t{c.width} * c.bits + 31) / 32 * 4;
    const std::int64_t rows = std::abs(std::int64_t{c.height});
    const std::int64_t pixels = c.bytes >= 0 ? c.bytes : rowBytes * rows;
    const std::uint32_t offset = 14 + c.header + extra.size();
    std::string bytes = c.magic;
    Put(&bytes, offset + pixels, 4);
    Put(&bytes, 0, 4);
    Put(&bytes, offset + c.shift, 4);
    Put(&bytes, c.header, 4);
    Put(&bytes, c.width, word);
    Put(&bytes, c.height, word);
    Put(&bytes, 1, 2);
    Put(&bytes, c.bits, 2);
    Put(&bytes, c.compression, 4);
    bytes.resize(14 + c.header);
    return bytes + extra + std::string(pixels, '\x5A');
}

// Every file the check accepts, SDL loads at the declared size.
TEST(BmpCheck, AcceptsOnlySizesThatTheFileCanHold) {
    const ScratchDir scratch;
    EXPECT_FALSE(CheckBmpHeader(scratch.path.c_str()));
    for (const BmpCase& c : kCases) {
        SCOPED_TRACE(c.name);
        WriteFile(scratch / "case.bmp", MakeBmp(c));
        ASSERT_EQ(CheckBmpHeader((scratch / "case.bmp").c_str()), c.accepted);
        if (c.accepted) {
            SDL_Surface* surface = SDL_LoadBMP((scratch / "case.bmp").c_str());
            ASSERT_NE(surface, nullptr) << SDL_GetError();
            EXPECT_EQ(surface->w, c.width);
            EXPECT_EQ(surface->h, std::abs(c.height));
            SDL_FreeSurface(surface);
        }
    }
}

} // namespace
