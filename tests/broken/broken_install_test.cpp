// Broken installations: the replay tool, which starts up as the game does, started headless
// in copies of the run directory with one file missing, emptied, cut short, replaced or turned
// into a directory. Each case runs without that sprite (render_test shows it stays
// invisible), or refuses with its one line and status 1, in time.
#include "sdl_fixture.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// `timeout` kills a run still going after this many seconds: it has hung. Healthy runs take
// well under a second, under the sanitizers too.
constexpr const char* kTimeLimit = "30";
// Runs at a time: a sanitizer run spends most of its time waiting for the leak check at its
// exit, not computing, so more runs than cores keep the cores busy.
constexpr int kParallelRuns = 8;
// A run's peak memory, sanitizers included, stays far below this; an image that SDL sized
// from a huge declared width and height would take over a gigabyte.
constexpr long kMemoryLimitKb = 256 * 1024;

enum Breakage { kMissing, kEmpty, kThird, kNotBmp, kHugeDeclared, kGarbage, kDirectory };

// Every sprite file also goes missing on its own, which shows each slot empty with its own
// file. The other ways of breaking a sprite all end in the header check's refusal, so one
// sprite shows them. Start-up reads the icon without that check (see docs/hardening.md), so
// it gets every way but the huge declaration.
constexpr const char* kLaser = "Graphics/lazer1.bmp";
constexpr const char* kIcon = "bluedr.bmp";

struct ImageBreakage {
    const char* name;
    const char* file;
    Breakage breakage;
};

const ImageBreakage kImageBreakages[] = {
    {.name = "the laser emptied", .file = kLaser, .breakage = kEmpty},
    {.name = "the laser cut to a third", .file = kLaser, .breakage = kThird},
    {.name = "the laser replaced by a PNG file", .file = kLaser, .breakage = kNotBmp},
    {.name = "the 450-byte laser declaring 20000 x 20000",
     .file = kLaser,
     .breakage = kHugeDeclared},
    {.name = "the icon missing", .file = kIcon, .breakage = kMissing},
    {.name = "the icon emptied", .file = kIcon, .breakage = kEmpty},
    {.name = "the icon cut to a third", .file = kIcon, .breakage = kThird},
    {.name = "the icon replaced by a PNG file", .file = kIcon, .breakage = kNotBmp},
};

// Broken font files, in each of the two font directories. A font.ini without a usable side,
// or a file that is missing or cannot be read, refuses the font. font.raw and font.dat are
// read alike: short coverage or widths still make a font, and any bytes are valid ones.
struct FontBreakage {
    const char* name;
    const char* file;
    Breakage breakage;
    bool refused;
};

const FontBreakage kFontBreakages[] = {
    {.name = "font.ini missing", .file = "font.ini", .breakage = kMissing, .refused = true},
    {.name = "font.ini empty", .file = "font.ini", .breakage = kEmpty, .refused = true},
    {.name = "font.ini cut to \"2\"", .file = "font.ini", .breakage = kThird, .refused = true},
    {.name = "font.ini garbage", .file = "font.ini", .breakage = kGarbage, .refused = true},
    {.name = "font.ini a directory", .file = "font.ini", .breakage = kDirectory, .refused = true},
    {.name = "font.raw missing", .file = "font.raw", .breakage = kMissing, .refused = true},
    {.name = "font.raw cut to a third", .file = "font.raw", .breakage = kThird, .refused = false},
    {.name = "font.raw a directory", .file = "font.raw", .breakage = kDirectory, .refused = true},
    {.name = "font.dat missing", .file = "font.dat", .breakage = kMissing, .refused = true},
    {.name = "font.dat empty", .file = "font.dat", .breakage = kEmpty, .refused = false},
    {.name = "font.dat a directory", .file = "font.dat", .breakage = kDirectory, .refused = true},
};

void PutLe32(std::string* bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        (*bytes)[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// Breaks the file at `path` inside a case directory. The file is a hard link to the pristine
// copy, so it is replaced, never changed in place.
void Break(const fs::path& path, Breakage breakage) {
    std::string bytes = ReadFile(path);
    fs::remove(path);
    switch (breakage) {
    case kMissing:
        return;
    case kEmpty:
        bytes.clear();
        break;
    case kThird:
        bytes.resize(bytes.size() / 3);
        break;
    case kNotBmp:
        bytes = ReadFile("flagrun.png");
        break;
    case kHugeDeclared:
        PutLe32(&bytes, 18, 20000);
        PutLe32(&bytes, 22, 20000);
        break;
    case kGarbage:
        for (char& byte : bytes) {
            byte = static_cast<char>(byte ^ 0xA5);
        }
        break;
    case kDirectory:
        fs::create_directory(path);
        return;
    }
    WriteFile(path, bytes);
}

// One case: a copy of the run directory with one thing broken, what must happen, and how the
// replay started there ended.
struct Case {
    std::string name;
    fs::path dir = {};
    bool refused = false;
    std::string message = {}; // the refusal's line on standard output
    pid_t pid = -1;
    int status = -1;
    long peakMemoryKb = 0;
};

// The replay runs a three-frame script under `timeout`, its output going to files in the case
// directory. It starts up as the game does; the game's own refusal is tested in
// tests/CMakeLists.txt.
void Start(Case* c) {
    const std::string out = c->dir / "out.txt";
    const std::string err = c->dir / "err.txt";
    const char* argv[] = {
        "timeout", "-s", "KILL", kTimeLimit, FLAGRUN_REPLAY_PATH, "three-frames.replay", nullptr};
    c->pid = fork();
    if (c->pid == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int inFd = open("/dev/null", O_RDONLY);
        if (chdir(c->dir.c_str()) != 0 || outFd < 0 || errFd < 0 || inFd < 0) {
            _exit(126);
        }
        dup2(inFd, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        execvp(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
}

// Keeps kParallelRuns going until all have ended. A run's peak memory is that of `timeout`
// and the program it waited for, whichever is larger.
void RunAll(std::vector<Case>* cases) {
    std::size_t started = 0;
    int going = 0;
    while (started < cases->size() || going > 0) {
        if (started < cases->size() && going < kParallelRuns) {
            Start(&(*cases)[started]);
            ++started;
            ++going;
            continue;
        }
        int status = 0;
        rusage usage{};
        const pid_t pid = wait4(-1, &status, 0, &usage);
        for (Case& c : *cases) {
            if (c.pid == pid) {
                c.status = status;
                c.peakMemoryKb = usage.ru_maxrss;
            }
        }
        --going;
    }
}

// A run prints one state line per frame, or its refusal. Either way nothing may reach
// standard error: no sanitizer report, no message. A run killed at the time limit shows as
// ended by signal 9.
void ExpectOutcome(const Case& c) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WIFEXITED(c.status)) << "ended by signal " << WTERMSIG(c.status);
    EXPECT_EQ(WEXITSTATUS(c.status), c.refused ? 1 : 0);
    EXPECT_LT(c.peakMemoryKb, kMemoryLimitKb);
    EXPECT_EQ(ReadFile(c.dir / "err.txt"), "");
    const std::string out = ReadFile(c.dir / "out.txt");
    if (c.refused) {
        EXPECT_EQ(out, c.message);
        return;
    }
    EXPECT_EQ(out.substr(0, 10), "{\"frame\":1");
    EXPECT_NE(out.find("\n{\"frame\":3,"), std::string::npos);
}

class BrokenInstallation : public ::testing::Test {
  protected:
    // Everything the game reads, copied once; each case links to these files.
    void SetUp() override {
        fs::create_directory(root.path / "pristine");
        for (const char* entry : {"Graphics", "data", "bluedr.bmp"}) {
            fs::copy(entry, root.path / "pristine" / entry, fs::copy_options::recursive);
        }
        WriteFile(root / "pristine/three-frames.replay", "3\n");
    }

    fs::path CopyRunDirectory() const {
        const fs::path dir = root.path / std::to_string(cases.size());
        fs::copy(root.path / "pristine", dir,
                 fs::copy_options::recursive | fs::copy_options::create_hard_links);
        return dir;
    }

    Case& AddCase(const std::string& name, const std::string& file, Breakage breakage) {
        const fs::path dir = CopyRunDirectory();
        Break(dir / file, breakage);
        return cases.emplace_back(Case{.name = name, .dir = dir});
    }

    void AddImageCases() {
        std::string last;
        for (const SpriteSlot& sprite : kSpriteSlots) {
            // A file that fills two slots comes twice in a row.
            if (sprite.file != last) {
                AddCase(std::string(sprite.file) + " missing", sprite.file, kMissing);
            }
            last = sprite.file;
        }
        for (const ImageBreakage& breakage : kImageBreakages) {
            AddCase(breakage.name, breakage.file, breakage.breakage);
        }
    }

    void AddFontCases() {
        for (const std::string font : {"data/font1", "data/font2"}) {
            for (const FontBreakage& breakage : kFontBreakages) {
                Case& c = AddCase(font + "/" + breakage.name, font + "/" + breakage.file,
                                  breakage.breakage);
                c.refused = breakage.refused;
                c.message = "Unable to load font from " + font + "\n";
            }
        }
    }

    // Paths are relative to the run directory, so a long name above it changes nothing:
    // data/font2 as a link to a directory named with 200 characters.
    void AddLongNameCase() {
        const std::string longName(200, 'n');
        const fs::path dir = CopyRunDirectory();
        fs::rename(dir / "data/font2", dir / "data" / longName);
        fs::create_directory_symlink(longName, dir / "data/font2");
        cases.push_back({.name = "data/font2 linked to a 200-character name", .dir = dir});
    }

    ScratchDir root;
    std::vector<Case> cases;
};

TEST_F(BrokenInstallation, EachCaseRunsWithoutTheFileOrRefusesInOneLine) {
    AddImageCases();
    AddFontCases();
    AddLongNameCase();
    RunAll(&cases);
    for (const Case& c : cases) {
        ExpectOutcome(c);
    }
    EXPECT_EQ(cases.size(), 14u + 8u + 2u * 11u + 1u);
}

} // namespace
