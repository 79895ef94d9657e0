// The game's command line: --help, --version, --scale N, --fullscreen,
// --record FILE, --play FILE, --volume N, --mute and --no-sound.
#pragma once

#include "app/window.h"
#include "sound/sound.h"

#include <cstdio>

enum class CommandLineAction { kRun, kHelp, kVersion, kRefuse };

enum class DemoOption { kNone, kRecord, kPlay };

// What the command line asks for. On kRefuse, error holds one line that
// says what was wrong, without the program's name.
struct CommandLine {
    CommandLineAction action = CommandLineAction::kRun;
    WindowOptions window;
    SoundOptions sound;
    DemoOption demo = DemoOption::kNone;
    const char* demoPath = ""; // the argument after --record or --play
    char error[160] = "";
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// The usage text: the options, the controls and the rules in a line.
void PrintUsage(std::FILE* stream);

// Answers --help, --version and bad input as the exit status says: the
// usage or the version on standard output and status 0, or the error and
// the usage on standard error and status 2.
int AnswerCommandLine(const CommandLine& commandLine);
