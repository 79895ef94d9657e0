// The game's command line: --help, --version, --scale N, --fullscreen,
// --record FILE, --play FILE, --volume N, --mute, --no-sound, --host [PORT],
// --join HOST[:PORT], --input-delay N, --rejoin TOKEN, --config FILE,
// --set NAME=VALUE, --keys and --key-test.
#pragma once

#include "app/settings.h"
#include "app/window.h"
#include "net/protocol.h"
#include "sound/sound.h"

#include <cstdio>

enum class CommandLineAction { kRun, kHelp, kVersion, kRefuse };

enum class DemoOption { kNone, kRecord, kPlay };

enum class NetMode { kNone, kHost, kJoin, kWatch };

// --host [PORT], --join [HOST[:PORT]], --watch [HOST[:PORT]], --input-delay N
// and --rejoin TOKEN.
struct NetOptions {
    NetMode mode = NetMode::kNone;
    char host[256] =
        ""; // the host to join or watch: a name, a dotted IPv4 address, or "" to find one
    std::uint16_t port = kDefaultPort;
    int inputDelay = 0;
    std::uint64_t rejoinToken = 0; // --rejoin TOKEN; 0: none given
};

inline constexpr int kMaxSettingArguments = 32;

// What the command line asks for. On kRefuse, error holds one line that
// says what was wrong, without the program's name.
// The window and the sound are filled in from the settings (app/settings.h),
// where the options that set them go; --no-sound is the command line's.
struct CommandLine {
    CommandLineAction action = CommandLineAction::kRun;
    WindowOptions window;
    SoundOptions sound;
    DemoOption demo = DemoOption::kNone;
    const char* demoPath = ""; // the argument after --record or --play
    NetOptions net;
    const char* configPath = nullptr; // --config FILE
    // --set NAME=VALUE and the options that stand for a setting, in order.
    SettingArgument settings[kMaxSettingArguments];
    int settingCount = 0;
    bool listKeys = false; // --keys
    bool keyTest = false;  // --key-test
    char error[160] = "";
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// The usage text: the options, the controls and the rules in a line.
void PrintUsage(std::FILE* stream);

// Answers --help, --version and bad input as the exit status says: the
// usage or the version on standard output and status 0, or the error and
// the usage on standard error and status 2.
int AnswerCommandLine(const CommandLine& commandLine);
