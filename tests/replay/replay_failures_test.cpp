// The replay tool's failures as a caller sees them: a trace or screenshot that cannot be
// written, a screenshot frame never reached, and script words that are not safe to echo.
#include "sdl_fixture.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Outcome {
    int status;
    std::string err;
};

// Runs the replay on `script` in the run directory, after the shell commands in `limits`,
// with the trace sent to `trace`. SIGXFSZ is ignored so that a file size limit shows as the
// write error a full disk gives.
Outcome Replay(const ScratchDir& scratch, const std::string& limits, const std::string& script,
               const std::vector<std::string>& args, const std::string& trace) {
    WriteFile(scratch / "script.txt", script);
    std::string command = "cd " + Quote(FLAGRUN_RUN_DIR) + " && trap '' XFSZ && " + limits +
                          "LSAN_OPTIONS=\"$LSAN_OPTIONS:print_suppressions=0\" exec " +
                          Quote(FLAGRUN_REPLAY_PATH);
    for (const std::string& arg : args) {
        command += " " + Quote(arg);
    }
    command += " " + Quote(scratch / "script.txt") + " >" + Quote(trace) + " 2>" +
               Quote(scratch / "stderr.txt");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(scratch / "stderr.txt")};
}

// 100 blocks of 512 bytes: far less than a trace of 200,000 frames or one screenshot.
const char* const kSmallFileLimit = "ulimit -f 100 && ";

// Every case fails with status 1 and one line on standard error. A screenshot named
// "shot.bmp" starts out holding "old": a failed save leaves it untouched and no temporary
// file behind.
struct OutputCase {
    const char* name;
    const char* limits;
    std::string script;
    const char* shotFrame = nullptr; // saved to shot.bmp in the scratch directory
    const char* trace;               // a file in the scratch directory, or a device
    std::string message;             // after "flagrun-replay: "; SHOT stands for the path
};

const OutputCase kOutputCases[] = {
    {.name = "a trace sent to a full device",
     .limits = "",
     .script = "3\n",
     .trace = "/dev/full",
     .message = "cannot write the trace: No space left on device"},
    {.name = "a trace that outgrows the file size limit mid-run",
     .limits = kSmallFileLimit,
     .script = "200000\n",
     .trace = "trace.jsonl",
     .message = "cannot write the trace: File too large"},
    {.name = "a screenshot frame past the end of the script",
     .limits = "",
     .script = "5\n",
     .shotFrame = "9",
     .trace = "/dev/null",
     .message = "frame 9 was not reached; 'SHOT' not saved"},
    {.name = "a screenshot that outgrows the file size limit",
     .limits = kSmallFileLimit,
     .script = "20 right\n",
     .shotFrame = "10",
     .trace = "/dev/null",
     .message = "cannot save screenshot 'SHOT': File too large"},
};

TEST(ReplayFailures, OutputThatCannotBeWrittenEndsWithStatusOne) {
    for (const OutputCase& row : kOutputCases) {
        SCOPED_TRACE(row.name);
        const ScratchDir scratch;
        const std::string shot = scratch / "shot.bmp";
        WriteFile(shot, "old");
        std::vector<std::string> args;
        if (row.shotFrame != nullptr) {
            args = {"--screenshot", row.shotFrame + (":" + shot)};
        }
        const std::string trace = row.trace[0] == '/' ? row.trace : scratch / row.trace;
        const Outcome run = Replay(scratch, row.limits, row.script, args, trace);
        std::string message = row.message;
        if (message.find("SHOT") != std::string::npos) {
            message.replace(message.find("SHOT"), 4, shot);
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "flagrun-replay: " + message + "\n");
        EXPECT_TRUE(ReadFile(shot) == "old") << "shot.bmp was replaced";
        const bool traceFile = row.trace[0] != '/';
        std::vector<std::string> expected = {"script.txt", "shot.bmp", "stderr.txt"};
        if (traceFile) {
            expected.push_back("trace.jsonl");
        }
        EXPECT_EQ(Entries(scratch.path), expected);
    }
}

// An offending word is shown quoted, cut at 40 bytes, with every byte that is not printable
// ASCII (and the backslash) written as \xNN. Status 2, one line, no frame run.
struct WordCase {
    const char* name;
    std::string script;
    std::string message; // after "flagrun-replay: line 1: "
};

const std::string k40 = std::string(40, 'k');

const WordCase kWordCases[] = {
    {.name = "a NUL inside a key",
     .script = std::string("1 up\0x\n", 7),
     .message = "unknown key 'up\\x00x'"},
    {.name = "a terminal escape sequence",
     .script = "1 \x1B]0;title\x07\x1B[2J\n",
     .message = "unknown key '\\x1B]0;title\\x07\\x1B[2J'"},
    {.name = "a backslash cannot fake an escape",
     .script = "1 a\\x41\n",
     .message = "unknown key 'a\\x5Cx41'"},
    {.name = "bytes past 127",
     .script = "1 caf\xC3\xA9\n",
     .message = "unknown key 'caf\\xC3\\xA9'"},
    {.name = "a 40-byte key is shown whole",
     .script = "1 " + k40,
     .message = "unknown key '" + k40 + "'"},
    {.name = "a 1 MB key is cut to 40 bytes",
     .script = "1 " + std::string(1 << 20, 'k'),
     .message = "unknown key '" + k40 + "'..."},
    {.name = "a 1 MB count is cut to 40 bytes",
     .script = std::string(1 << 20, '9') + " up\n",
     .message = "count '" + std::string(40, '9') + "'... does not fit in 32 bits"},
};

TEST(ReplayFailures, OffendingWordsAreShownShortAndPrintable) {
    for (const WordCase& row : kWordCases) {
        SCOPED_TRACE(row.name);
        const ScratchDir scratch;
        const Outcome run = Replay(scratch, "", row.script, {}, scratch / "trace.jsonl");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "flagrun-replay: line 1: " + row.message + "\n");
        EXPECT_EQ(ReadFile(scratch / "trace.jsonl"), "");
    }
}

} // namespace
