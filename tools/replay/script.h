// The replay script: which keys are held in which frames. One instruction
// per line, "COUNT [KEY ...]", with '#' starting a comment. The whole script
// is parsed before the first frame, so a bad line stops the replay before
// anything has run.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The keys the game reads, by their script names. Bit i of an instruction's
// key mask stands for kScriptKeys[i].
struct ScriptKey {
    std::string_view name;
    SDLKey key;
};

inline constexpr ScriptKey kScriptKeys[] = {
    {"up", SDLK_UP},       {"down", SDLK_DOWN},   {"left", SDLK_LEFT},     {"right", SDLK_RIGHT},
    {"w", SDLK_w},         {"a", SDLK_a},         {"s", SDLK_s},           {"d", SDLK_d},
    {"space", SDLK_SPACE}, {"lctrl", SDLK_LCTRL}, {"lshift", SDLK_LSHIFT}, {"ralt", SDLK_RALT},
};

inline constexpr std::size_t kScriptKeyCount = sizeof(kScriptKeys) / sizeof(kScriptKeys[0]);

// `count` consecutive frames with exactly the keys of `keyMask` held. With
// `escape`, an Escape key-down is queued before the first of those frames.
struct Instruction {
    std::int32_t count = 0;
    std::uint32_t keyMask = 0;
    bool escape = false;
};

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

// The number of the key called `name` in kScriptKeys, or -1.
int FindScriptKey(std::string_view name);
