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

std::string MakeScratchDirectory() {
    std::string pattern = std::filesystem::temp_directory_path() / "flagrun-replay-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a scratch directory";
        return std::filesystem::temp_directory_path();
    }
    return pattern;
}

void RemoveScratchDirectory(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string WriteScratchFile(const std::string& scratch, const std::string& name,
                             const std::string& text) {
    const std::string path = scratch + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// The child's environment: this one, with SDL's drivers set to headless.
// Under the leak checker the child keeps the suppressions it inherits but
// does not list them on standard error, which the tests read; a real leak
// still shows in its exit status.
static std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("SDL_VIDEODRIVER=", 0) == 0 || text.rfind("SDL_AUDIODRIVER=", 0) == 0) {
            continue;
        }
        environment.push_back(text);
        if (text.rfind("LSAN_OPTIONS=", 0) == 0) {
            environment.back() += ":print_suppressions=0";
        }
    }
    environment.push_back("SDL_VIDEODRIVER=dummy");
    environment.push_back("SDL_AUDIODRIVER=dummy");
    return environment;
}

static std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// In the child, which may only make plain system calls: standard streams
// onto the scratch files, the run directory, then the tool itself.
static void ExecReplay(char** argv, char** environment, int inFd, int outFd, int errFd) {
    if (dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0 ||
        chdir(FLAGRUN_RUN_DIR) != 0) {
        _exit(127);
    }
    execve(FLAGRUN_REPLAY_PATH, argv, environment);
    _exit(127);
}

ReplayResult RunReplay(const std::string& scratch, const std::vector<std::string>& args,
                       const std::string& input) {
    const std::string in = WriteScratchFile(scratch, "stdin.txt", input);
    const std::string out = scratch + "/stdout.txt";
    const std::string err = scratch + "/stderr.txt";
    std::vector<std::string> arguments = {FLAGRUN_REPLAY_PATH};
    arguments.insert(arguments.end(), args.begin(), args.end());
    std::vector<std::string> environment = ChildEnvironment();
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);
    const int inFd = open(in.c_str(), O_RDONLY | O_CLOEXEC);
    const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ReplayResult result;
    if (inFd < 0 || outFd < 0 || errFd < 0) {
        ADD_FAILURE() << "cannot open the files of the child in " << scratch;
        return result;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        ExecReplay(argv.data(), envp.data(), inFd, outFd, errFd);
    }
    close(inFd);
    close(outFd);
    close(errFd);
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

void ReplayTest::SetUp() {
    scratch = MakeScratchDirectory();
}

void ReplayTest::TearDown() {
    RemoveScratchDirectory(scratch);
}

std::string ReplayTest::Scratch(const std::string& name) const {
    return scratch + "/" + name;
}

std::string ReplayTest::WriteScript(const std::string& text, const std::string& name) {
    return WriteScratchFile(scratch, name, text);
}

ReplayResult ReplayTest::Run(const std::vector<std::string>& args, const std::string& input) {
    return RunReplay(scratch, args, input);
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
