// The child-process runner and the reader of the replay's JSON lines.
#include "replay_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A minimal reader for the replay's lines: objects whose values are
// integers or objects, no spaces. Anything else marks the line invalid.
struct Reader {
    const std::string& text;
    std::size_t at = 0;
    bool ok = true;
};

bool Expect(Reader* r, char c) {
    if (r->at < r->text.size() && r->text[r->at] == c) {
        ++r->at;
        return true;
    }
    r->ok = false;
    return false;
}

std::string ReadKey(Reader* r) {
    std::string key;
    if (!Expect(r, '"')) {
        return key;
    }
    while (r->at < r->text.size() && r->text[r->at] != '"') {
        key += r->text[r->at++];
    }
    Expect(r, '"');
    return key;
}

std::int64_t ReadInteger(Reader* r) {
    const std::size_t begin = r->at;
    if (r->at < r->text.size() && r->text[r->at] == '-') {
        ++r->at;
    }
    while (r->at < r->text.size() && r->text[r->at] >= '0' && r->text[r->at] <= '9') {
        ++r->at;
    }
    if (r->at == begin || r->text[r->at - 1] == '-') {
        r->ok = false;
        return 0;
    }
    return std::stoll(r->text.substr(begin, r->at - begin));
}

void ReadObject(Reader* r, const std::string& prefix, StateLine* line) {
    if (!Expect(r, '{')) {
        return;
    }
    do {
        const std::string path = prefix + ReadKey(r);
        if (!Expect(r, ':')) {
            return;
        }
        if (r->at < r->text.size() && r->text[r->at] == '{') {
            ReadObject(r, path + ".", line);
        } else {
            line->fields.emplace_back(path, ReadInteger(r));
        }
    } while (r->ok && r->at < r->text.size() && r->text[r->at++] == ',');
    // the loop consumed the closing brace, or failed on something else
    if (r->ok && r->text[r->at - 1] != '}') {
        r->ok = false;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

StateLine ParseStateLine(const std::string& text) {
    StateLine line;
    Reader reader{text};
    ReadObject(&reader, "", &line);
    line.valid = reader.ok && reader.at == text.size();
    return line;
}

std::int64_t Field(const StateLine& line, const std::string& path) {
    for (const auto& [name, value] : line.fields) {
        if (name == path) {
            return value;
        }
    }
    ADD_FAILURE() << "no field " << path;
    return 0;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

void ReplayTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "flagrun-replay-XXXXXX");
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch = pattern;
}

void ReplayTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

std::string ReplayTest::Scratch(const std::string& name) const { return scratch + "/" + name; }

std::string ReplayTest::WriteScript(const std::string& text, const std::string& name) {
    const std::string path = Scratch(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// In the child: standard streams onto the scratch files, headless drivers,
// the run directory, then the tool itself.
static void ExecReplay(const std::vector<std::string>& args, const std::string& in,
                       const std::string& out, const std::string& err) {
    const int inFd = open(in.c_str(), O_RDONLY);
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (inFd < 0 || outFd < 0 || errFd < 0 || dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 ||
        dup2(errFd, 2) < 0 || chdir(FLAGRUN_RUN_DIR) != 0) {
        _exit(127);
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(FLAGRUN_REPLAY_PATH));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(FLAGRUN_REPLAY_PATH, argv.data());
    _exit(127);
}

ReplayResult ReplayTest::Run(const std::vector<std::string>& args, const std::string& input) {
    const std::string in = WriteScript(input, "stdin.txt");
    const std::string out = Scratch("stdout.txt");
    const std::string err = Scratch("stderr.txt");
    std::fflush(nullptr);
    ReplayResult result;
    const pid_t child = fork();
    if (child == 0) {
        ExecReplay(args, in, out, err);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "could not run " << FLAGRUN_REPLAY_PATH;
        return result;
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
}

ReplayResult ReplayTest::RunScript(const std::string& script, std::vector<std::string> options) {
    options.push_back(WriteScript(script));
    return Run(options);
}

std::vector<StateLine> ReplayTest::States(const std::string& script,
                                          std::vector<std::string> options) {
    const ReplayResult result = RunScript(script, std::move(options));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::vector<StateLine> states;
    for (const std::string& text : SplitLines(result.out)) {
        states.push_back(ParseStateLine(text));
        EXPECT_TRUE(states.back().valid) << text;
    }
    if (!result.out.empty()) {
        EXPECT_EQ(result.out.back(), '\n');
    }
    return states;
}
