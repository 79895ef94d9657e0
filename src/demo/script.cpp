// Parsing of the replay script.
#include "demo/script.h"

#include "input/bindings.h"

#include <charconv>
#include <limits>

static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Splits off the next whitespace-separated word of *rest; empty at the end.
static std::string_view NextWord(std::string_view* rest) {
    std::size_t begin = 0;
    while (begin < rest->size() && IsBlank((*rest)[begin])) {
        ++begin;
    }
    std::size_t end = begin;
    while (end < rest->size() && !IsBlank((*rest)[end])) {
        ++end;
    }
    std::string_view word = rest->substr(begin, end - begin);
    rest->remove_prefix(end);
    return word;
}

// At most this many bytes of an offending word are shown in a message.
static constexpr std::size_t kQuotedBytes = 40;

// The word in quotes, safe to print: a NUL cannot cut the message short,
// no escape sequence reaches the terminal and a huge word stays a short
// line. Bytes other than printable ASCII, and the backslash itself, are
// written as \xNN; a word cut at kQuotedBytes ends in "...".
static std::string Quoted(std::string_view word) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "'";
    for (std::size_t i = 0; i < word.size() && i < kQuotedBytes; ++i) {
        const auto byte = static_cast<unsigned char>(word[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += static_cast<char>(byte);
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        }
    }
    text += word.size() > kQuotedBytes ? "'..." : "'";
    return text;
}

// The count must be all decimal digits and fit a signed 32-bit frame count;
// anything that merely starts like a number ("12abc") is refused whole.
static bool ParseCount(std::string_view word, std::int32_t* count, std::string* problem) {
    const char first = word.front();
    const bool numeric = (first >= '0' && first <= '9') || first == '-' || first == '+';
    if (!numeric) {
        *problem = "missing count before " + Quoted(word);
        return false;
    }
    std::int64_t value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, status] = std::from_chars(word.data(), end, value);
    if (status == std::errc::result_out_of_range) {
        *problem = first == '-' ? "count must be positive, got " + Quoted(word)
                                : "count " + Quoted(word) + " does not fit in 32 bits";
        return false;
    }
    if (status != std::errc() || stop != end) {
        *problem = "bad count " + Quoted(word);
        return false;
    }
    if (value <= 0) {
        *problem = "count must be positive, got " + Quoted(word);
        return false;
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        *problem = "count " + Quoted(word) + " does not fit in 32 bits";
        return false;
    }
    *count = static_cast<std::int32_t>(value);
    return true;
}

std::string_view TakeLine(std::string_view* text) {
    const std::size_t newline = text->find('\n');
    const std::string_view line = text->substr(0, newline);
    text->remove_prefix(newline == std::string_view::npos ? text->size() : newline + 1);
    return line;
}

LineKind ParseScriptLine(std::string_view line, Instruction* instruction, std::string* problem) {
    std::string_view rest = line.substr(0, line.find('#'));
    std::string_view word = NextWord(&rest);
    if (word.empty()) {
        return LineKind::kBlank;
    }
    Instruction parsed;
    if (!ParseCount(word, &parsed.count, problem)) {
        return LineKind::kError;
    }
    for (word = NextWord(&rest); !word.empty(); word = NextWord(&rest)) {
        if (word == "escape") {
            parsed.escape = true;
            continue;
        }
        const int key = FindBinding(word);
        if (key < 0) {
            *problem = "unknown key " + Quoted(word);
            return LineKind::kError;
        }
        parsed.keyMask |= std::uint32_t{1} << key;
    }
    *instruction = parsed;
    return LineKind::kInstruction;
}

bool ParseScript(std::string_view text, std::vector<Instruction>* instructions,
                 ScriptError* error) {
    instructions->clear();
    std::int64_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::string_view line = TakeLine(&text);
        Instruction instruction;
        std::string problem;
        switch (ParseScriptLine(line, &instruction, &problem)) {
        case LineKind::kBlank:
            break;
        case LineKind::kInstruction:
            instructions->push_back(instruction);
            break;
        case LineKind::kError:
            error->line = number;
            error->problem = problem;
            return false;
        }
    }
    return true;
}
