// The demo writer: run-length encoded replay-script lines under a temporary
// name, renamed into place once the final state is written.
#include "demo/demo_record.h"

#include "demo/state_json.h"
#include "input/bindings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#ifndef FLAGRUN_VERSION
#error "FLAGRUN_VERSION must hold the project's version"
#endif

// A run longer than a script line's count can hold goes on in a new line.
static constexpr std::int32_t kLongestRun = std::numeric_limits<std::int32_t>::max();

std::string DemoTemporaryPath(const std::string& path, long processId) {
    return path + ".partial-" + std::to_string(processId);
}

std::string DemoHeader(std::string_view version, std::time_t when) {
    char date[32] = "an unknown date";
    std::tm utc;
    if (gmtime_r(&when, &utc) != nullptr) {
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
    }
    std::string header = "# flagrun demo, recorded by flagrun ";
    header.append(version);
    header += " on ";
    header += date;
    header += "\n# Each line holds keys for a number of frames: COUNT KEY...\n"
              "# Play it with: flagrun --play FILE (flagrun-replay FILE prints its states)\n";
    return header;
}

static std::string CannotRecord(const std::string& path, const char* reason) {
    return "cannot record a demo to '" + path + "': " + reason;
}

// The final rename would fail on a directory, at the end of a whole game.
static bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The temporary file, created afresh: an existing file of that name is
// never written through. Null, with *error set, when it cannot be made.
static std::FILE* OpenTemporary(const std::string& path, std::string* error) {
    if (IsDirectory(path)) {
        *error = CannotRecord(path, "it is a directory");
        return nullptr;
    }
    const int fd = open(DemoTemporaryPath(path, getpid()).c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (file == nullptr) {
        *error = CannotRecord(path, std::strerror(errno));
        if (fd >= 0) {
            close(fd);
        }
    }
    return file;
}

bool CheckDemoWritable(const std::string& path, std::string* error) {
    std::FILE* file = OpenTemporary(path, error);
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    std::remove(DemoTemporaryPath(path, getpid()).c_str());
    return true;
}

// Writes are checked once, at the end: the first failure's reason is kept.
static void WriteText(DemoRecording* demo, std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), demo->file) != text.size() &&
        demo->writeError == 0) {
        demo->writeError = errno != 0 ? errno : EIO;
    }
}

bool StartDemo(DemoRecording* demo, const std::string& path, std::time_t when, std::string* error) {
    std::FILE* file = OpenTemporary(path, error);
    if (file == nullptr) {
        return false;
    }
    *demo = DemoRecording{};
    demo->file = file;
    demo->path = path;
    demo->temporaryPath = DemoTemporaryPath(path, getpid());
    WriteText(demo, DemoHeader(FLAGRUN_VERSION, when));
    return true;
}

// "COUNT" and the names of the held keys, in the bindings' order.
static void WriteRun(DemoRecording* demo) {
    if (demo->runLength == 0) {
        return;
    }
    std::string line = std::to_string(demo->runLength);
    for (std::size_t i = 0; i < kKeyBindingCount; ++i) {
        if (((demo->runKeys >> i) & 1u) != 0) {
            line += ' ';
            line.append(kKeyBindings[i].name);
        }
    }
    line += '\n';
    WriteText(demo, line);
    demo->runLength = 0;
}

void RecordDemoFrame(DemoRecording* demo, const FrameInput& input) {
    const std::uint32_t keys = MaskFromInput(input);
    if (keys != demo->runKeys || demo->runLength == kLongestRun) {
        WriteRun(demo);
    }
    demo->runKeys = keys;
    ++demo->runLength;
    ++demo->frames;
}

static void NoteFailure(DemoRecording* demo, bool failed) {
    if (failed && demo->writeError == 0) {
        demo->writeError = errno != 0 ? errno : EIO;
    }
}

// The data reaches the disk before the rename makes the file complete.
static void CloseFile(DemoRecording* demo) {
    NoteFailure(demo, std::fflush(demo->file) != 0);
    NoteFailure(demo, fsync(fileno(demo->file)) != 0);
    NoteFailure(demo, std::fclose(demo->file) != 0);
    demo->file = nullptr;
}

bool FinishDemo(DemoRecording* demo, const GameState& state, std::string* error) {
    WriteRun(demo);
    char line[kMaxStateJsonLength];
    const char* end = FormatStateJson(line, demo->frames, state);
    WriteText(demo, kFinalStatePrefix);
    WriteText(demo, std::string_view(line, static_cast<std::size_t>(end - line)));
    CloseFile(demo);
    if (demo->writeError == 0) {
        NoteFailure(demo, std::rename(demo->temporaryPath.c_str(), demo->path.c_str()) != 0);
    }
    if (demo->writeError != 0) {
        std::remove(demo->temporaryPath.c_str());
        *error = "cannot write the demo '" + demo->path + "': " + std::strerror(demo->writeError);
        return false;
    }
    return true;
}
