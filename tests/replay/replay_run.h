// Running the built replay tool as a child process, as a user would: in the
// run directory, headless, with a script file or standard input.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ReplayResult {
    int status = -1; // exit status, or -1 if the child did not exit normally
    std::string out;
    std::string err;
};

// One JSON line of the replay, flattened: "player1.laser.x" -> value, in
// the order the keys appeared.
struct StateLine {
    std::vector<std::pair<std::string, std::int64_t>> fields;
    bool valid = false;
};

// Parses one line of the form {"key":int,"key":{...},...}; `valid` is false
// on anything else, so a malformed line fails the test that reads it.
StateLine ParseStateLine(const std::string& line);

// The value at `path`, or a failure if the line has no such field.
std::int64_t Field(const StateLine& line, const std::string& path);

// The lines of the output, without their newlines.
std::vector<std::string> SplitLines(const std::string& text);

// A fresh directory for one test's scripts and screenshots, and its removal.
std::string MakeScratchDirectory();
void RemoveScratchDirectory(const std::string& path);

// Runs the replay in the run directory with `args`, standard input from
// `input`; its output goes through files in `scratch`.
ReplayResult RunReplay(const std::string& scratch, const std::vector<std::string>& args,
                       const std::string& input = "");

// Writes `text` to the file `name` in `scratch` and returns its path.
std::string WriteScratchFile(const std::string& scratch, const std::string& name,
                             const std::string& text);

// Each test gets its own scratch directory for scripts and screenshots.
class ReplayTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside the scratch directory.
    std::string Scratch(const std::string& name) const;
    std::string WriteScript(const std::string& text, const std::string& name = "script.txt");

    // Runs the replay with `args`, standard input from `input`.
    ReplayResult Run(const std::vector<std::string>& args, const std::string& input = "");

    // Writes `script` to a file and replays it with `options` before it.
    ReplayResult RunScript(const std::string& script, std::vector<std::string> options = {});

    // Replays `script` and parses every line; fails the test on a bad run.
    std::vector<StateLine> States(const std::string& script, std::vector<std::string> options = {});

    std::string scratch;
};
