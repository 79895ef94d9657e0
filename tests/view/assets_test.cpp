// The generated sprites, icons and fonts in the run directory, made again the same.
#include "sdl_fixture.h"

namespace {

// The generator run again writes the same bytes into every file.
TEST(Assets, GenerationIsDeterministic) {
    const ScratchDir again;
    const std::string command = "./flagrun-assetgen " + Quote(again.path) + " " + FLAGRUN_FONT_FILE;
    ASSERT_EQ(std::system(command.c_str()), 0);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(again.path)) {
        if (entry.is_regular_file()) {
            files += 1;
            const std::filesystem::path name = entry.path().lexically_relative(again.path);
            EXPECT_TRUE(ReadFile(entry.path()) == ReadFile(name)) << name;
        }
    }
    EXPECT_GE(files, 14 + 6 + 6);
}

} // namespace
