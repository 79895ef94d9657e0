// Broken installations: the real program started, headless, in copies of the run directory
// with one file missing, emptied, cut short, replaced or turned into a directory. Each case
// runs with that sprite invisible, or refuses with its one line and status 1, in time.
#include "draw/sprite_table.h"
#include "unit/sdl_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A run that is still going after this long has hung; healthy runs take well under a second,
// under the sanitizers too.
constexpr auto kTimeLimit = std::chrono::seconds(30);
// Runs at a time: a sanitizer run spends most of its time waiting for the leak check at its
// exit, not computing, so more runs than cores keep the cores busy.
constexpr std::size_t kParallelRuns = 8;
// A run's peak memory, sanitizers included, stays far below this; an image that SDL sized
// from a huge declared width and height would take over a gigabyte.
constexpr long kMemoryLimitKb = 256 * 1024;

enum class Breakage { kMissing, kEmpty, kThird, kNotBmp, kHugeDeclared, kGarbage, kDirectory };

// An image file and the slots it fills. The icon fills none: it only goes to the window.
struct ImageFile {
    const char* path;
    std::vector<SDL_Surface * ImageSet::*> slots;
};

const ImageFile kImageFiles[] = {
    {.path = "Graphics/bg.bmp", .slots = {&ImageSet::background}},
    {.path = "Graphics/bluedr.bmp", .slots = {&ImageSet::player1Body, &ImageSet::player2Body}},
    {.path = "Graphics/redtl.bmp", .slots = {&ImageSet::enemy1Body, &ImageSet::enemy2Body}},
    {.path = "Graphics/flagb.bmp", .slots = {&ImageSet::blueFlag}},
    {.path = "Graphics/flagr.bmp", .slots = {&ImageSet::redFlag}},
    {.path = "Graphics/lazer1.bmp", .slots = {&ImageSet::player1Laser, &ImageSet::player2Laser}},
    {.path = "Graphics/lazer2.bmp", .slots = {&ImageSet::enemy1Laser, &ImageSet::enemy2Laser}},
    {.path = "Graphics/bluedr-dead.bmp",
     .slots = {&ImageSet::player1Corpse, &ImageSet::player2Corpse}},
    {.path = "Graphics/reddr-dead.bmp", .slots = {&ImageSet::enemy1Wreck, &ImageSet::enemy2Wreck}},
    {.path = "Graphics/roadblock.bmp", .slots = {&ImageSet::roadblock}},
    {.path = "Graphics/grenade1.bmp",
     .slots = {&ImageSet::player1Grenade, &ImageSet::player2Grenade}},
    {.path = "Graphics/explosion1.bmp",
     .slots = {&ImageSet::player1Blast, &ImageSet::player2Blast}},
    {.path = "Graphics/black.bmp", .slots = {&ImageSet::hudEraser, &ImageSet::countdownEraser}},
    {.path = "Graphics/black2.bmp",
     .slots = {&ImageSet::player1TagEraser, &ImageSet::player2TagEraser}},
    {.path = "bluedr.bmp", .slots = {}},
};

struct ImageBreakage {
    const char* name;
    Breakage breakage;
};

// The huge declaration keeps the file's own size: a 450-byte laser claiming 20000 x 20000.
const ImageBreakage kImageBreakages[] = {
    {.name = "missing", .breakage = Breakage::kMissing},
    {.name = "empty", .breakage = Breakage::kEmpty},
    {.name = "cut to a third", .breakage = Breakage::kThird},
    {.name = "a PNG file", .breakage = Breakage::kNotBmp},
    {.name = "declaring 20000 x 20000 pixels", .breakage = Breakage::kHugeDeclared},
};

// Broken font files, in each of the two font directories. Short or garbled coverage and
// widths still make a font; a font.ini without a usable side, or a file that is missing or
// cannot be read, refuses it.
struct FontBreakage {
    const char* name;
    const char* file;
    Breakage breakage;
    bool refused;
};

const FontBreakage kFontBreakages[] = {
    {.name = "font.ini missing",
     .file = "font.ini",
     .breakage = Breakage::kMissing,
     .refused = true},
    {.name = "font.ini empty", .file = "font.ini", .breakage = Breakage::kEmpty, .refused = true},
    {.name = "font.ini cut to \"2\"",
     .file = "font.ini",
     .breakage = Breakage::kThird,
     .refused = true},
    {.name = "font.ini garbage",
     .file = "font.ini",
     .breakage = Breakage::kGarbage,
     .refused = true},
    {.name = "font.ini a directory",
     .file = "font.ini",
     .breakage = Breakage::kDirectory,
     .refused = true},
    {.name = "font.raw missing",
     .file = "font.raw",
     .breakage = Breakage::kMissing,
     .refused = true},
    {.name = "font.raw empty", .file = "font.raw", .breakage = Breakage::kEmpty, .refused = false},
    {.name = "font.raw cut to a third",
     .file = "font.raw",
     .breakage = Breakage::kThird,
     .refused = false},
    {.name = "font.raw garbage",
     .file = "font.raw",
     .breakage = Breakage::kGarbage,
     .refused = false},
    {.name = "font.raw a directory",
     .file = "font.raw",
     .breakage = Breakage::kDirectory,
     .refused = true},
    {.name = "font.dat missing",
     .file = "font.dat",
     .breakage = Breakage::kMissing,
     .refused = true},
    {.name = "font.dat empty", .file = "font.dat", .breakage = Breakage::kEmpty, .refused = false},
    {.name = "font.dat cut to a third",
     .file = "font.dat",
     .breakage = Breakage::kThird,
     .refused = false},
    {.name = "font.dat garbage",
     .file = "font.dat",
     .breakage = Breakage::kGarbage,
     .refused = false},
    {.name = "font.dat a directory",
     .file = "font.dat",
     .breakage = Breakage::kDirectory,
     .refused = true},
};

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void PutLe32(std::string* bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        (*bytes)[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// Breaks the file at `path` inside a case directory.
void Break(const fs::path& path, Breakage breakage) {
    std::string bytes = Read(path);
    fs::remove(path);
    switch (breakage) {
    case Breakage::kMissing:
        return;
    case Breakage::kEmpty:
        bytes.clear();
        break;
    case Breakage::kThird:
        bytes.resize(bytes.size() / 3);
        break;
    case Breakage::kNotBmp:
        bytes = Read("flagrun.png");
        break;
    case Breakage::kHugeDeclared:
        PutLe32(&bytes, 18, 20000);
        PutLe32(&bytes, 22, 20000);
        break;
    case Breakage::kGarbage:
        for (char& byte : bytes) {
            byte = static_cast<char>(byte ^ 0xA5);
        }
        break;
    case Breakage::kDirectory:
        fs::create_directory(path);
        return;
    }
    Write(path, bytes);
}

// One case: a copy of the run directory with one thing broken, and what must happen.
struct Case {
    std::string name;
    fs::path dir = {};
    bool refused = false;
    std::string message = {}; // the refusal's line on standard output
    std::vector<SDL_Surface* ImageSet::*> emptySlots = {};
};

// A program started in a case directory, and how it ended.
struct Launch {
    const Case* owner;
    std::string program;
    pid_t pid = -1;
    Clock::time_point deadline = {};
    bool timedOut = false;
    int status = -1;
    long peakMemoryKb = 0;
};

// The program's output goes to files named after it in the case directory; the replay reads
// a three-frame script.
void Start(Launch* run) {
    const std::string name = fs::path(run->program).filename();
    const std::string dir = run->owner->dir;
    const std::string out = dir + "/" + name + ".out";
    const std::string err = dir + "/" + name + ".err";
    const std::string script = dir + "/three-frames.replay";
    const char* argv[] = {run->program.c_str(), script.c_str(), nullptr};
    if (name == "flagrun") {
        argv[1] = nullptr;
    }
    run->deadline = Clock::now() + kTimeLimit;
    run->pid = fork();
    if (run->pid == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int inFd = open("/dev/null", O_RDONLY);
        if (chdir(dir.c_str()) != 0 || outFd < 0 || errFd < 0 || inFd < 0) {
            _exit(126);
        }
        dup2(inFd, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
}

// True once the run has ended, by itself or killed at its time limit.
bool Ended(Launch* run) {
    int status = 0;
    rusage usage{};
    if (wait4(run->pid, &status, WNOHANG, &usage) == run->pid) {
        run->status = status;
        run->peakMemoryKb = usage.ru_maxrss;
        return true;
    }
    if (Clock::now() > run->deadline) {
        kill(run->pid, SIGKILL);
        waitpid(run->pid, &status, 0);
        run->status = status;
        run->timedOut = true;
        return true;
    }
    return false;
}

void RunAll(std::vector<Launch>* runs) {
    std::size_t started = 0;
    std::vector<Launch*> going;
    while (started < runs->size() || !going.empty()) {
        while (started < runs->size() && going.size() < kParallelRuns) {
            Start(&(*runs)[started]);
            going.push_back(&(*runs)[started]);
            ++started;
        }
        std::erase_if(going, Ended);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The replay prints one state line per frame; the game prints nothing while it runs. Either
// way nothing may reach standard error: no sanitizer report, no message.
void ExpectOutcome(const Launch& run) {
    const Case& c = *run.owner;
    const std::string name = fs::path(run.program).filename();
    SCOPED_TRACE(c.name + " (" + name + ")");
    ASSERT_FALSE(run.timedOut) << "still running after " << kTimeLimit.count() << " s";
    ASSERT_TRUE(WIFEXITED(run.status)) << "ended by signal " << WTERMSIG(run.status);
    EXPECT_LT(run.peakMemoryKb, kMemoryLimitKb);
    EXPECT_EQ(Read(c.dir / (name + ".err")), "");
    const std::string out = Read(c.dir / (name + ".out"));
    if (c.refused) {
        EXPECT_EQ(WEXITSTATUS(run.status), 1);
        EXPECT_EQ(out, c.message);
        return;
    }
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    EXPECT_EQ(out.substr(0, 10), "{\"frame\":1");
    EXPECT_NE(out.find("\n{\"frame\":3,"), std::string::npos);
}

// The slots the broken file fills stay empty, so its sprite is never drawn; every other slot
// is loaded as usual.
void ExpectEmptySlots(const Case& c) {
    SCOPED_TRACE(c.name);
    const fs::path back = fs::current_path();
    fs::current_path(c.dir);
    LoadImages();
    fs::current_path(back);
    for (std::size_t i = 0; i < kSpriteSlotCount; ++i) {
        SDL_Surface* ImageSet::*slot = kSpriteSlots[i].slot;
        const bool empty =
            std::find(c.emptySlots.begin(), c.emptySlots.end(), slot) != c.emptySlots.end();
        EXPECT_EQ(images.*slot == nullptr, empty) << "slot " << i + 1;
        SDL_FreeSurface(images.*slot);
    }
    images = ImageSet{};
}

class BrokenInstallation : public ::testing::Test {
  protected:
    void TearDown() override { fs::remove_all(root); }

    // Everything the game reads, copied once; each case links to these files, and a broken
    // file is replaced, never changed in place.
    void SetUp() override {
        fs::create_directory(root / "pristine");
        for (const char* entry : {"Graphics", "data", "bluedr.bmp"}) {
            fs::copy(entry, root / "pristine" / entry, fs::copy_options::recursive);
        }
        Write(root / "pristine/three-frames.replay", "3\n");
    }

    fs::path CopyRunDirectory(const std::string& name) {
        const fs::path dir = root / std::to_string(cases.size()) / name;
        fs::create_directories(dir.parent_path());
        fs::copy(root / "pristine", dir,
                 fs::copy_options::recursive | fs::copy_options::create_hard_links);
        return dir;
    }

    void AddImageCases() {
        for (const ImageFile& file : kImageFiles) {
            for (const ImageBreakage& breakage : kImageBreakages) {
                // The icon is read by start-up without the header check: see docs/hardening.md.
                const bool iconUnchecked = file.slots.empty();
                if (iconUnchecked && breakage.breakage == Breakage::kHugeDeclared) {
                    continue;
                }
                Case c{.name = std::string(file.path) + " " + breakage.name};
                c.dir = CopyRunDirectory("case");
                Break(c.dir / file.path, breakage.breakage);
                c.emptySlots = file.slots;
                cases.push_back(c);
            }
        }
    }

    void AddFontCases() {
        for (const char* font : {"data/font1", "data/font2"}) {
            for (const FontBreakage& breakage : kFontBreakages) {
                Case c{.name = std::string(font) + "/" + breakage.name,
                       .refused = breakage.refused,
                       .message = "Unable to load font from " + std::string(font) + "\n"};
                c.dir = CopyRunDirectory("case");
                Break(c.dir / font / breakage.file, breakage.breakage);
                cases.push_back(c);
            }
        }
    }

    // Paths are relative to the run directory, so long names above or below it change
    // nothing: a run directory named with 200 characters, and data/font2 reached through a
    // link to a directory named with 200 characters.
    void AddLongNameCases() {
        const std::string longName(200, 'n');
        Case inLongDir{.name = "a run directory named with 200 characters"};
        inLongDir.dir = CopyRunDirectory(longName);
        cases.push_back(inLongDir);
        Case linked{.name = "data/font2 linked to a directory named with 200 characters"};
        linked.dir = CopyRunDirectory("case");
        fs::rename(linked.dir / "data/font2", linked.dir / "data" / longName);
        fs::create_directory_symlink(longName, linked.dir / "data/font2");
        cases.push_back(linked);
    }

    fs::path root = [] {
        char pattern[] = "/tmp/flagrun-broken-XXXXXX";
        return fs::path(mkdtemp(pattern) ? pattern : "/nonexistent");
    }();
    std::vector<Case> cases;
};

TEST_F(BrokenInstallation, EachCaseRunsWithoutTheFileOrRefusesInOneLine) {
    AddImageCases();
    AddFontCases();
    AddLongNameCases();
    // Every case runs the replay, which starts up like the game and ends by itself after its
    // frames; a refused case also runs the game, which ends by itself when it refuses.
    std::vector<Launch> runs;
    for (const Case& c : cases) {
        runs.push_back({.owner = &c, .program = FLAGRUN_REPLAY_PATH});
        if (c.refused) {
            runs.push_back({.owner = &c, .program = FLAGRUN_GAME_PATH});
        }
    }
    RunAll(&runs);
    for (const Launch& run : runs) {
        ExpectOutcome(run);
    }
    for (const Case& c : cases) {
        if (!c.refused) {
            ExpectEmptySlots(c);
        }
    }
    EXPECT_EQ(cases.size(), 14u * 5u + 4u + 2u * 15u + 2u);
}

} // namespace
