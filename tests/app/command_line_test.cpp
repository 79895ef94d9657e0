// The game's command line, parsed: options, values and refusals.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    std::vector<const char*> args; // after the program's name
    CommandLineAction action = CommandLineAction::kRun;
    int scale = 0;
    bool fullscreen = false;
    std::string error = "";
};

TEST(CommandLineTest, OptionsAndRefusals) {
    const std::vector<Case> cases = {
        {.name = "no option: the scale is the desktop's choice", .args = {}},
        {.name = "--scale N", .args = {"--scale", "3"}, .scale = 3},
        {.name = "--scale=N and --fullscreen",
         .args = {"--fullscreen", "--scale=8"},
         .scale = 8,
         .fullscreen = true},
        {.name = "the last scale counts", .args = {"--scale", "2", "--scale", "5"}, .scale = 5},
        {.name = "help wins over what follows",
         .args = {"--help", "--bogus"},
         .action = CommandLineAction::kHelp},
        {.name = "-h", .args = {"-h"}, .action = CommandLineAction::kHelp},
        {.name = "version", .args = {"--version"}, .action = CommandLineAction::kVersion},
        {.name = "an unknown option",
         .args = {"--fullscreen", "--bogus"},
         .action = CommandLineAction::kRefuse,
         .fullscreen = true,
         .error = "unknown option '--bogus'"},
        {.name = "a bare word",
         .args = {"play"},
         .action = CommandLineAction::kRefuse,
         .error = "unknown option 'play'"},
        {.name = "--scale without its value",
         .args = {"--scale"},
         .action = CommandLineAction::kRefuse,
         .error = "missing value after '--scale'"},
        {.name = "scale 0",
         .args = {"--scale", "0"},
         .action = CommandLineAction::kRefuse,
         .error = "--scale takes a whole number from 1 to 8, not '0'"},
        {.name = "scale 9",
         .args = {"--scale=9"},
         .action = CommandLineAction::kRefuse,
         .error = "--scale takes a whole number from 1 to 8, not '9'"},
        {.name = "a signed scale",
         .args = {"--scale", "+2"},
         .action = CommandLineAction::kRefuse,
         .error = "--scale takes a whole number from 1 to 8, not '+2'"},
        {.name = "a scale with a suffix",
         .args = {"--scale", "2x"},
         .action = CommandLineAction::kRefuse,
         .error = "--scale takes a whole number from 1 to 8, not '2x'"},
        {.name = "an empty scale",
         .args = {"--scale="},
         .action = CommandLineAction::kRefuse,
         .error = "--scale takes a whole number from 1 to 8, not ''"},
        {.name = "a scale of many digits",
         .args = {"--scale", "00000000002"},
         .action = CommandLineAction::kRefuse,
         .error = "--scale takes a whole number from 1 to 8, not '00000000002'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<const char*> argv = {"flagrun"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const CommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(parsed.action, c.action);
        EXPECT_EQ(parsed.window.scale, c.scale);
        EXPECT_EQ(parsed.window.fullscreen, c.fullscreen);
        EXPECT_EQ(std::string(parsed.error), c.error);
    }
}

struct DemoCase {
    const char* name = "";
    std::vector<const char*> args = {}; // after the program's name
    CommandLineAction action = CommandLineAction::kRun;
    DemoOption demo = DemoOption::kNone;
    std::string path = "";
    std::string error = "";
};

TEST(CommandLineTest, RecordOrPlayADemo) {
    const std::vector<DemoCase> cases = {
        {.name = "no demo", .args = {"--scale", "2"}},
        {.name = "--record FILE",
         .args = {"--record", "game.demo"},
         .demo = DemoOption::kRecord,
         .path = "game.demo"},
        {.name = "--play FILE among other options",
         .args = {"--fullscreen", "--play", "old.demo", "--scale", "2"},
         .demo = DemoOption::kPlay,
         .path = "old.demo"},
        {.name = "a file named like an option",
         .args = {"--play", "--scale"},
         .demo = DemoOption::kPlay,
         .path = "--scale"},
        {.name = "--record without its file",
         .args = {"--record"},
         .action = CommandLineAction::kRefuse,
         .error = "missing file after '--record'"},
        {.name = "--record and --play",
         .args = {"--record", "a.demo", "--play", "b.demo"},
         .action = CommandLineAction::kRefuse,
         .demo = DemoOption::kRecord,
         .path = "a.demo",
         .error = "only one of --record and --play, not another '--play'"},
        {.name = "--play twice",
         .args = {"--play", "a.demo", "--play", "b.demo"},
         .action = CommandLineAction::kRefuse,
         .demo = DemoOption::kPlay,
         .path = "a.demo",
         .error = "only one of --record and --play, not another '--play'"},
    };
    for (const DemoCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<const char*> argv = {"flagrun"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const CommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(parsed.action, c.action);
        EXPECT_EQ(parsed.demo, c.demo);
        EXPECT_EQ(std::string(parsed.demoPath), c.path);
        EXPECT_EQ(std::string(parsed.error), c.error);
    }
}

} // namespace
