// The replay script: which keys are held in which frames. One instruction
// per line, "COUNT [KEY ...]", with '#' starting a comment. The whole script
// is parsed before the first frame, so a bad line stops the replay before
// anything has run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// `count` consecutive frames with exactly the keys of `keyMask` held, bit i
// standing for the key binding kKeyBindings[i] under its name. With
// `escape`, an Escape key-down is queued before the first of those frames.
struct Instruction {
    std::int32_t count = 0;
    std::uint32_t keyMask = 0;
    bool escape = false;
};

// The first line of *text, without its newline, taken off the front.
std::string_view TakeLine(std::string_view* text);

enum class LineKind { kBlank, kInstruction, kError };

// Parses one line without its newline. A blank or comment-only line gives
// kBlank; a bad one gives kError with the problem in *problem.
LineKind ParseScriptLine(std::string_view line, Instruction* instruction, std::string* problem);

// Where a script went wrong: its 1-based line number and the problem.
struct ScriptError {
    std::int64_t line = 0;
    std::string problem;
};

// Parses a whole script into *instructions, stopping at the first bad line.
bool ParseScript(std::string_view text, std::vector<Instruction>* instructions, ScriptError* error);
