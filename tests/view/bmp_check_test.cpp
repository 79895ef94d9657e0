// Crafted BMP files put to the header check that guards every sprite load.
#include "view/bmp_check.h"

#include "sdl_fixture.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

constexpr std::int64_t kDeclared = -1; // as many pixel bytes as the header declares

struct BmpCase {
    const char* name;
    const char* magic = "BM";
    std::uint32_t headerSize = 40;
    std::int32_t width = 5;
    std::int32_t height = 3;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::int32_t offsetShift = 0; // moves the declared start of the pixels
    std::int64_t pixelBytes = kDeclared;
    bool accepted = false;
};

const BmpCase kCases[] = {
    {.name = "five by three, rows padded to 16 bytes", .accepted = true},
    {.name = "exactly 4096 pixels wide", .width = 4096, .height = 1, .accepted = true},
    {.name = "4097 pixels wide", .width = 4097, .height = 1},
    {.name = "exactly 4096 rows", .width = 1, .height = 4096, .accepted = true},
    {.name = "4097 rows", .width = 1, .height = 4097},
    {.name = "4096 rows stored top down", .width = 2, .height = -4096, .accepted = true},
    {.name = "4097 rows stored top down", .width = 2, .height = -4097},
    {.name = "the most negative height",
     .height = std::numeric_limits<std::int32_t>::min(),
     .pixelBytes = 48},
    {.name = "4096 by 4096 in 450 bytes", .width = 4096, .height = 4096, .pixelBytes = 396},
    {.name = "one byte short of the last row's padding", .pixelBytes = 47},
    {.name = "bytes after the pixels", .pixelBytes = 148, .accepted = true},
    {.name = "zero width", .width = 0},
    {.name = "zero height", .height = 0},
    {.name = "negative width", .width = -5, .pixelBytes = 48},
    {.name = "32 bits with colour masks", .bits = 32, .compression = 3, .accepted = true},
    {.name = "8 bits with a palette", .bits = 8, .accepted = true},
    {.name = "1 bit with a palette", .width = 33, .height = 2, .bits = 1, .accepted = true},
    {.name = "run-length coded", .bits = 8, .compression = 1},
    {.name = "the 12-byte header of OS/2", .headerSize = 12, .accepted = true},
    {.name = "a 124-byte header", .headerSize = 124, .accepted = true},
    {.name = "an unknown header size", .headerSize = 20},
    {.name = "7 bits per pixel", .bits = 7},
    {.name = "pixels said to start inside the header", .offsetShift = -10},
    {.name = "pixels said to start one byte late", .offsetShift = 1},
    {.name = "not starting with BM", .magic = "MB"},
};

void PutLe(std::string* bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    }
}

// The file a row describes: headers, colour masks or palette, then the pixel bytes.
std::string MakeBmp(const BmpCase& row) {
    const bool core = row.headerSize == 12;
    const std::int64_t rows = std::abs(static_cast<std::int64_t>(row.height));
    const std::int64_t rowBytes = (static_cast<std::int64_t>(row.width) * row.bits + 31) / 32 * 4;
    const std::int64_t declared = rowBytes * rows;
    const std::int64_t pixelBytes = row.pixelBytes == kDeclared ? declared : row.pixelBytes;
    std::string extra;
    if (row.compression == 3) {
        PutLe(&extra, 0x00FF0000, 4);
        PutLe(&extra, 0x0000FF00, 4);
        PutLe(&extra, 0x000000FF, 4);
    }
    for (int i = 0; row.bits <= 8 && i < (1 << row.bits); ++i) {
        PutLe(&extra, 0x00102030u * static_cast<std::uint32_t>(i), core ? 3 : 4);
    }
    const std::uint32_t offset = 14 + row.headerSize + extra.size();
    std::string bytes = row.magic;
    PutLe(&bytes, static_cast<std::uint32_t>(offset + pixelBytes), 4);
    PutLe(&bytes, 0, 4);
    PutLe(&bytes, offset + row.offsetShift, 4);
    PutLe(&bytes, row.headerSize, 4);
    PutLe(&bytes, static_cast<std::uint32_t>(row.width), core ? 2 : 4);
    PutLe(&bytes, static_cast<std::uint32_t>(row.height), core ? 2 : 4);
    PutLe(&bytes, 1, 2);
    PutLe(&bytes, row.bits, 2);
    if (!core) {
        PutLe(&bytes, row.compression, 4);
    }
    bytes.resize(14 + row.headerSize, '\0');
    bytes += extra;
    bytes.append(static_cast<std::size_t>(pixelBytes), '\x5A');
    return bytes;
}

class BmpCheck : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) const {
        WriteFile(scratch / name, bytes);
        return scratch / name;
    }
    ScratchDir scratch;
};

// Every file the check accepts, SDL loads at the declared size. (The game's own images are
// accepted: every test that loads them sees each slot filled.)
TEST_F(BmpCheck, AcceptsOnlySizesThatTheFileCanHold) {
    for (const BmpCase& row : kCases) {
        SCOPED_TRACE(row.name);
        const std::string path = Write("case.bmp", MakeBmp(row));
        ASSERT_EQ(CheckBmpHeader(path.c_str()), row.accepted);
        if (row.accepted) {
            SDL_Surface* surface = SDL_LoadBMP(path.c_str());
            ASSERT_NE(surface, nullptr) << SDL_GetError();
            EXPECT_EQ(surface->w, row.width);
            EXPECT_EQ(surface->h, std::abs(row.height));
            SDL_FreeSurface(surface);
        }
    }
}

TEST_F(BmpCheck, RefusesWhatIsNoFileOfPixels) {
    EXPECT_FALSE(CheckBmpHeader((scratch / "missing.bmp").c_str()));
    EXPECT_FALSE(CheckBmpHeader(scratch.path.c_str()));
    EXPECT_FALSE(CheckBmpHeader(Write("empty.bmp", "").c_str()));
    EXPECT_FALSE(
        CheckBmpHeader(Write("only-file-header.bmp", MakeBmp({.name = ""}).substr(0, 14)).c_str()));
}

} // namespace
