// Demo playback and the sync check: the final-state comment read back and
// compared field by field with the state the replay ends in.
#include "demo/demo_play.h"

#include "demo/demo_record.h"
#include "demo/state_json.h"
#include "input/bindings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

// One number of a state line, named by its path ("player1.laser.x").
struct StateField {
    std::string path;
    std::string_view value;
};

// A state line nests three deep (player1.laser.x) and its names are short
// words of letters and digits. The bounds keep a hostile file from recursing
// the stack away, and the names it puts into a message short and printable.
static constexpr int kMostNesting = 2;
static constexpr std::size_t kLongestName = 16;

static bool IsName(std::string_view name) {
    if (name.empty() || name.size() > kLongestName) {
        return false;
    }
    for (const char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && (c < '0' || c > '9')) {
            return false;
        }
    }
    return true;
}

static bool Take(std::string_view* rest, char c) {
    if (rest->empty() || rest->front() != c) {
        return false;
    }
    rest->remove_prefix(1);
    return true;
}

// An optional minus and up to 20 digits; 0 when there is no such number.
static std::size_t NumberLength(std::string_view text) {
    std::size_t length = !text.empty() && text.front() == '-' ? 1 : 0;
    const std::size_t firstDigit = length;
    while (length < text.size() && length - firstDigit < 20 && text[length] >= '0' &&
           text[length] <= '9') {
        ++length;
    }
    return length == firstDigit ? 0 : length;
}

// {"key":value,...} where a value is a number or another such object, as
// FormatStateJson writes it, flattened into paths and values in order.
static bool ParseObject(std::string_view* rest, const std::string& prefix, int depth,
                        std::vector<StateField>* fields) {
    if (depth > kMostNesting || !Take(rest, '{')) {
        return false;
    }
    do {
        const std::size_t quote = rest->find('"', 1);
        if (!Take(rest, '"') || quote == std::string_view::npos) {
            return false;
        }
        const std::string_view name = rest->substr(0, quote - 1);
        if (!IsName(name)) {
            return false;
        }
        const std::string path = prefix + std::string(name);
        rest->remove_prefix(quote);
        if (!Take(rest, ':')) {
            return false;
        }
        if (!rest->empty() && rest->front() == '{') {
            if (!ParseObject(rest, path + ".", depth + 1, fields)) {
                return false;
            }
            continue;
        }
        const std::size_t length = NumberLength(*rest);
        if (length == 0) {
            return false;
        }
        fields->push_back({path, rest->substr(0, length)});
        rest->remove_prefix(length);
    } while (Take(rest, ','));
    return Take(rest, '}');
}

static bool ParseStateLine(std::string_view line, std::vector<StateField>* fields) {
    return ParseObject(&line, "", 0, fields) && line.empty();
}

// A line without its carriage return and trailing blanks.
static std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

bool FindFinalState(std::string_view text, FinalState* finalState, ScriptError* error) {
    *finalState = FinalState{};
    std::int64_t number = 0;
    std::int64_t foundAt = 0;
    while (!text.empty()) {
        ++number;
        const std::string_view line = TakeLine(&text);
        if (line.substr(0, kFinalStatePrefix.size()) == kFinalStatePrefix) {
            finalState->present = true;
            finalState->line = std::string(Trimmed(line.substr(kFinalStatePrefix.size())));
            foundAt = number;
        }
    }
    std::vector<StateField> fields;
    if (finalState->present && !ParseStateLine(finalState->line, &fields)) {
        error->line = foundAt;
        error->problem = "the final state is not a state line";
        return false;
    }
    return true;
}

static std::string Describe(const std::vector<StateField>& fields, std::size_t i) {
    if (i >= fields.size()) {
        return "nothing";
    }
    return fields[i].path + "=" + std::string(fields[i].value);
}

bool MatchesFinalState(const FinalState& finalState, std::int64_t frame, const GameState& state,
                       std::string* message) {
    char buffer[kMaxStateJsonLength];
    const char* end = FormatStateJson(buffer, frame, state);
    const std::string_view line(buffer, static_cast<std::size_t>(end - buffer) - 1);
    std::vector<StateField> expected;
    std::vector<StateField> got;
    ParseStateLine(finalState.line, &expected);
    ParseStateLine(line, &got);
    for (std::size_t i = 0; i < expected.size() || i < got.size(); ++i) {
        const bool same = i < expected.size() && i < got.size() &&
                          expected[i].path == got[i].path && expected[i].value == got[i].value;
        if (!same) {
            *message =
                "demo out of sync: expected " + Describe(expected, i) + " got " + Describe(got, i);
            return false;
        }
    }
    return true;
}

std::int64_t ScriptFrames(const std::vector<Instruction>& script) {
    std::int64_t frames = 0;
    for (const Instruction& instruction : script) {
        if (instruction.escape) {
            return frames + 1;
        }
        frames += instruction.count;
    }
    return frames;
}

// The whole text, from a file or, for "-", from standard input.
static bool ReadWholeFile(const std::string& path, std::string* text) {
    const bool fromStdin = path == "-";
    std::FILE* file = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text->append(chunk, got);
    }
    const int error = std::ferror(file) != 0 ? (errno != 0 ? errno : EIO) : 0;
    if (!fromStdin) {
        std::fclose(file);
    }
    errno = error;
    return error == 0;
}

bool ReadDemo(const std::string& path, Demo* demo, ScriptError* error) {
    std::string text;
    if (!ReadWholeFile(path, &text)) {
        error->line = 0;
        error->problem = std::strerror(errno);
        return false;
    }
    if (!ParseScript(text, &demo->script, error) ||
        !FindFinalState(text, &demo->finalState, error)) {
        return false;
    }
    demo->frames = ScriptFrames(demo->script);
    return true;
}

bool LoadDemo(const std::string& path, Demo* demo, std::string* error) {
    ScriptError bad;
    if (ReadDemo(path, demo, &bad)) {
        return true;
    }
    if (bad.line == 0) {
        *error = "cannot read the demo '" + path + "': " + bad.problem;
    } else {
        *error = "demo '" + path + "', line " + std::to_string(bad.line) + ": " + bad.problem;
    }
    return false;
}

bool NextDemoFrame(const Demo& demo, DemoPlayback* playback, FrameInput* input) {
    if (playback->frame == demo.frames) {
        return false;
    }
    if (playback->framesLeft == 0) {
        const Instruction& instruction = demo.script[playback->next++];
        playback->input = InputFromMask(instruction.keyMask);
        playback->framesLeft = instruction.count;
    }
    --playback->framesLeft;
    ++playback->frame;
    *input = playback->input;
    return true;
}
