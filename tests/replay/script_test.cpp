// The script parser on its own: instruction lines, comments, and every kind
// of bad line with the problem it reports.
#include "replay/script.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

// The bit each key name stands for, as kScriptKeys orders them.
std::uint32_t Bit(const char* name) {
    const int key = FindScriptKey(name);
    EXPECT_GE(key, 0) << name;
    return key < 0 ? 0 : std::uint32_t{1} << key;
}

TEST(ScriptKeys, EachNameHoldsTheKeyTheGameReads) {
    struct Case {
        const char* name;
        SDLKey key;
    };
    const Case cases[] = {
        {"up", SDLK_UP},       {"down", SDLK_DOWN},     {"left", SDLK_LEFT},
        {"right", SDLK_RIGHT}, {"w", SDLK_w},           {"a", SDLK_a},
        {"s", SDLK_s},         {"d", SDLK_d},           {"space", SDLK_SPACE},
        {"lctrl", SDLK_LCTRL}, {"lshift", SDLK_LSHIFT}, {"ralt", SDLK_RALT},
    };
    ASSERT_EQ(kScriptKeyCount, std::size(cases));
    for (const Case& c : cases) {
        const int index = FindScriptKey(c.name);
        ASSERT_GE(index, 0) << c.name;
        EXPECT_EQ(kScriptKeys[index].key, c.key) << c.name;
    }
    // escape is an event, not a held key; names are case-sensitive
    EXPECT_EQ(FindScriptKey("escape"), -1);
    EXPECT_EQ(FindScriptKey("Up"), -1);
    EXPECT_EQ(FindScriptKey(""), -1);
}

TEST(ScriptLine, InstructionsGiveCountKeysAndEscape) {
    struct Case {
        const char* line;
        std::int32_t count;
        std::uint32_t keyMask;
        bool escape;
    };
    const Case cases[] = {
        {"5", 5, 0, false},
        {"5 up", 5, Bit("up"), false},
        {"  7\tspace  lctrl ", 7, Bit("space") | Bit("lctrl"), false},
        {"3 up up", 3, Bit("up"), false},
        {"1 escape", 1, 0, true},
        {"2 escape right", 2, Bit("right"), true},
        {"2147483647 ralt", std::numeric_limits<std::int32_t>::max(), Bit("ralt"), false},
        {"007 d", 7, Bit("d"), false},
        {"4 w# a comment right after a key", 4, Bit("w"), false},
        {"4 s # keys after the hash: left right", 4, Bit("s"), false},
        {"6 lshift\r", 6, Bit("lshift"), false},
        {"1 up down left right w a s d space lctrl lshift ralt", 1, 0xFFFu, false},
    };
    for (const Case& c : cases) {
        Instruction instruction;
        std::string problem;
        ASSERT_EQ(ParseScriptLine(c.line, &instruction, &problem), LineKind::kInstruction)
            << c.line << ": " << problem;
        EXPECT_EQ(instruction.count, c.count) << c.line;
        EXPECT_EQ(instruction.keyMask, c.keyMask) << c.line;
        EXPECT_EQ(instruction.escape, c.escape) << c.line;
    }
}

TEST(ScriptLine, BlankAndCommentLinesHoldNothing) {
    for (const char* line : {"", "   ", "\t \r", "# 5 up", "   # 5 up", "#"}) {
        Instruction instruction;
        std::string problem;
        EXPECT_EQ(ParseScriptLine(line, &instruction, &problem), LineKind::kBlank)
            << "'" << line << "'";
    }
}

TEST(ScriptLine, BadLinesNameTheProblem) {
    struct Case {
        const char* line;
        const char* problem;
    };
    const Case cases[] = {
        {"up", "missing count before 'up'"},
        {"escape", "missing count before 'escape'"},
        {"jump 3", "missing count before 'jump'"},
        {"0", "count must be positive, got '0'"},
        {"0 up", "count must be positive, got '0'"},
        {"-3 up", "count must be positive, got '-3'"},
        {"-99999999999999999999", "count must be positive, got '-99999999999999999999'"},
        {"2147483648", "count '2147483648' does not fit in 32 bits"},
        {"99999999999999999999 up", "count '99999999999999999999' does not fit in 32 bits"},
        {"12abc", "bad count '12abc'"},
        {"+5", "bad count '+5'"},
        {"1.5", "bad count '1.5'"},
        {"-", "bad count '-'"},
        {"5 jump", "unknown key 'jump'"},
        {"5 up Down", "unknown key 'Down'"},
        {"5 up,down", "unknown key 'up,down'"},
        {"5 up 3", "unknown key '3'"},
    };
    for (const Case& c : cases) {
        Instruction instruction;
        std::string problem;
        EXPECT_EQ(ParseScriptLine(c.line, &instruction, &problem), LineKind::kError) << c.line;
        EXPECT_EQ(problem, c.problem) << c.line;
    }
}

TEST(Script, KeepsInstructionsInOrderAndSkipsBlankLines) {
    const char* text = "# walk, then shoot\n"
                       "\n"
                       "3 right\r\n"
                       "  \t\n"
                       "2 space down # fire\n"
                       "1 escape";
    std::vector<Instruction> instructions;
    ScriptError error;
    ASSERT_TRUE(ParseScript(text, &instructions, &error)) << error.problem;
    ASSERT_EQ(instructions.size(), 3u);
    EXPECT_EQ(instructions[0].count, 3);
    EXPECT_EQ(instructions[0].keyMask, Bit("right"));
    EXPECT_FALSE(instructions[0].escape);
    EXPECT_EQ(instructions[1].count, 2);
    EXPECT_EQ(instructions[1].keyMask, Bit("space") | Bit("down"));
    EXPECT_EQ(instructions[2].count, 1);
    EXPECT_EQ(instructions[2].keyMask, 0u);
    EXPECT_TRUE(instructions[2].escape);
}

TEST(Script, EmptyAndCommentOnlyScriptsHoldNoInstructions) {
    for (const char* text : {"", "\n\n", "# nothing\n   # here\n"}) {
        std::vector<Instruction> instructions{Instruction{}};
        ScriptError error;
        EXPECT_TRUE(ParseScript(text, &instructions, &error)) << text;
        EXPECT_TRUE(instructions.empty()) << text;
    }
}

TEST(Script, AnErrorGivesItsLineNumberCountingEveryLine) {
    struct Case {
        const char* text;
        std::int64_t line;
        const char* problem;
    };
    const Case cases[] = {
        {"jump", 1, "missing count before 'jump'"},
        {"1\n\n# comment\n2 jump\n3\n", 4, "unknown key 'jump'"},
        {"1\r\n2\r\n0\r\n", 3, "count must be positive, got '0'"},
        {"1 up\n2 down\n12abc", 3, "bad count '12abc'"},
        // the first bad line stops the parse
        {"5\n1 fly\n0\n", 2, "unknown key 'fly'"},
    };
    for (const Case& c : cases) {
        std::vector<Instruction> instructions;
        ScriptError error;
        EXPECT_FALSE(ParseScript(c.text, &instructions, &error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_EQ(error.problem, c.problem) << c.text;
    }
}

} // namespace
