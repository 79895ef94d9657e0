// The generated sounds pass the header check the game loads them through; broken copies do not.
#include "sdl_fixture.h"
#include "sound/wav_check.h"

namespace {

using namespace std::literals;

// laser1.wav with `cut` bytes from `at` (counted from the end when negative) replaced by `text`.
struct WavCase {
    const char* name;
    bool accepted;
    long at;
    std::size_t cut;
    std::string_view text;
};
const WavCase kCases[] = {
    {"a LIST chunk before the data", true, 36, 0, "LIST\4\0\0\0abcd"sv},
    {"an odd-sized chunk and its pad byte", true, 36, 0, "junk\1\0\0\0a\0"sv},
    {"a chunk running past the end", false, 36, 0, "junk\xF8\xFF\xFF\xFF"sv},
    {"truncated data", false, 1000, std::string::npos, ""},
    {"one sample short", false, -2, std::string::npos, ""},
    {"cut inside the format", false, 30, std::string::npos, ""},
    {"not RIFF", false, 0, 4, "RIFX"},
    {"no format chunk before the data", false, 12, 4, "junk"},
    {"22,050 Hz", false, 24, 2, "\x22\x56"},
    {"stereo", false, 22, 1, "\2"},
    {"data length beyond the file", false, 40, 4, "\xFE\xFF\xFF\xFF"},
    {"odd data length", false, 40, 1, "\1"},
};

TEST(WavCheck, AcceptsTheGeneratedSoundsAndRefusesBrokenOnes) {
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("Sounds"), {}), 12);
    for (const auto& entry : std::filesystem::directory_iterator("Sounds")) {
        WavData data{};
        EXPECT_TRUE(CheckWavHeader(entry.path().c_str(), &data)) << entry.path();
        EXPECT_EQ(data.dataOffset + data.dataBytes, std::filesystem::file_size(entry.path()));
    }
    const ScratchDir scratch;
    EXPECT_FALSE(CheckWavHeader((scratch / "missing.wav").c_str(), nullptr));
    const std::string good = ReadFile("Sounds/laser1.wav");
    for (const WavCase& c : kCases) {
        std::string bytes = good;
        bytes.replace(c.at < 0 ? good.size() + c.at : c.at, c.cut, c.text);
        WriteFile(scratch / "case.wav", bytes);
        EXPECT_EQ(CheckWavHeader((scratch / "case.wav").c_str(), nullptr), c.accepted) << c.name;
    }
}

} // namespace
