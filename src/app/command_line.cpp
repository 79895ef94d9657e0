// Parsing and answering the game's command line. The usage text is kept
// here, once, for --help and for every refusal.
#include "app/command_line.h"

#include "app/rejoin.h"
#include "net/rollback.h"

#include <cstring>

#ifndef FLAGRUN_VERSION
#error "FLAGRUN_VERSION must hold the project's version"
#endif

static constexpr const char* kUsage =
    "Usage: flagrun [--scale N] [--fullscreen] [--record FILE | --play FILE]\n"
    "               [--volume N] [--mute] [--no-sound]\n"
    "               [--host [PORT] | --join [HOST[:PORT]] [--rejoin TOKEN] |\n"
    "                --watch [HOST[:PORT]]]\n"
    "               [--input-delay N] [--config FILE] [--set NAME=VALUE]...\n"
    "       flagrun --key-test [--config FILE] [--set NAME=VALUE]...\n"
    "       flagrun --keys [--config FILE] [--set NAME=VALUE]...\n"
    "       flagrun --help | --version\n"
    "\n"
    "A two-player cooperative arena game for one keyboard.\n"
    "\n"
    "Options:\n"
    "  --scale N     draw each game pixel as an N x N block, N from 1 to 8\n"
    "                (default: the largest that fits 90% of the desktop)\n"
    "  --fullscreen  start full-screen (F11 toggles during play)\n"
    "  --record FILE play, and record the game as a demo in FILE\n"
    "  --play FILE   show the demo in FILE; it ends by itself (Escape ends it sooner)\n"
    "  --volume N    the sound's volume, N from 0 to 10 (default: 10)\n"
    "  --mute        start with the sound muted (M toggles during play)\n"
    "  --no-sound    never open a sound device\n"
    "  --host [PORT] play online as Player 1: wait for the other player on UDP\n"
    "                port PORT (default: 47810), which a firewall must let in\n"
    "  --join [HOST[:PORT]]\n"
    "                play online as Player 2 with the player hosting on HOST, a\n"
    "                name, an IPv4 address or the name a host on the local network\n"
    "                answers with; without HOST, the first host found there\n"
    "  --watch [HOST[:PORT]]\n"
    "                watch a game hosted on HOST, a little behind, as --join finds it\n"
    "  --rejoin TOKEN  with --join, come back to a game this side left by a\n"
    "                crash, with the token of its first handshake (by default the\n"
    "                one kept in $XDG_RUNTIME_DIR/flagrun/ for that host and port)\n"
    "  --input-delay N  online, make each key act N frames after it is read, N\n"
    "                from 0 to 4 (default: 0, at once)\n"
    "  --config FILE read the settings from FILE, not from\n"
    "                $XDG_CONFIG_HOME/flagrun/flagrun.conf (~/.config/flagrun/...)\n"
    "  --set NAME=VALUE  a setting, as in the settings file, such as\n"
    "                --set key_p1_laser=x or --set mute=no; wins over the file\n"
    "  --keys        print every setting and key in force, and where it came from\n"
    "                (default, file or option), and exit\n"
    "  --key-test    open the window and show the keys held, to find keys the\n"
    "                keyboard reports together\n"
    "  --help        print this help and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "Environment:\n"
    "  SDL_RENDER_DRIVER=software  the game scales and shows the frames itself, or\n"
    "                              SDL's own renderer does: the default where the\n"
    "                              CPU draws OpenGL (llvmpipe)\n"
    "  SDL_RENDER_DRIVER=opengl    OpenGL shows them: the default where a GPU draws it\n"
    "  FLAGRUN_PRESENTER=sdl       SDL's own renderer, never the game, shows them\n"
    "\n"
    "Controls (the default keys; the settings file can change every one):\n"
    "  Player 1   arrow keys move, Space fires a laser, Right Alt throws a grenade\n"
    "  Player 2   W A S D move, Left Ctrl fires a laser, Left Shift throws a grenade\n"
    "  Gamepads   the first for Player 1, the second for Player 2: the d-pad or the\n"
    "             left stick moves, button 0 fires a laser, button 1 throws a grenade\n"
    "  P pauses and resumes, M mutes and unmutes, - and = turn the volume down\n"
    "  and up, F11 toggles full screen, Escape quits\n"
    "\n"
    "Settings: the scale, full screen, the volume, mute and every key, one\n"
    "\"name = value\" line each in the settings file, which the game writes with\n"
    "the defaults and comments at its first clean end. Mute, the volume and full\n"
    "screen changed in play are kept there. An option wins over the file.\n"
    "\n"
    "Online: each side plays its player with either set of keys or the first\n"
    "gamepad; P pauses both sides, Escape ends the game on both, Tab shows the\n"
    "round trip, the frames corrected in the last second and the frame\n"
    "advantage. --record FILE keeps the game as a demo, by default in\n"
    "$XDG_STATE_HOME/flagrun/online.demo; --play FILE plays this side's player\n"
    "from a demo.\n"
    "\n"
    "Rules: shoot the red enemies for experience and carry the red flag to the\n"
    "top-left corner to start a new game.\n";

static CommandLine Refuse(CommandLine commandLine, const char* what, const char* argument) {
    commandLine.action = CommandLineAction::kRefuse;
    std::snprintf(commandLine.error, sizeof commandLine.error, "%s '%s'", what, argument);
    return commandLine;
}

// One or two decimal digits, without sign or spaces, from low to high; -1
// when the text is anything else.
static int ParseNumber(const char* text, int low, int high) {
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 2) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value >= low && value <= high ? value : -1;
}

// --NAME VALUE or --NAME=VALUE: the value, null when the argument is not
// the option or its value is missing (then *missing is set).
static const char* OptionValue(int argc, const char* const* argv, int* i, const char* name,
                               bool* missing) {
    const std::size_t length = std::strlen(name);
    const char* argument = argv[*i];
    if (std::strncmp(argument, name, length) != 0) {
        return nullptr;
    }
    if (argument[length] == '=') {
        return argument + length + 1;
    }
    if (argument[length] != '\0') {
        return nullptr;
    }
    if (*i + 1 == argc) {
        *missing = true;
        return nullptr;
    }
    *i += 1;
    return argv[*i];
}

// Adds a setting the command line gives; false when there are too many.
static bool AddSetting(CommandLine* line, const char* option, std::string_view name,
                       std::string_view value) {
    if (line->settingCount == kMaxSettingArguments) {
        *line = Refuse(*line, "too many settings on the command line, at", option);
        return false;
    }
    line->settings[line->settingCount++] = SettingArgument{option, name, value};
    return true;
}

// --set NAME=VALUE.
static void TakeSetting(CommandLine* line, const char* value) {
    const char* equals = std::strchr(value, '=');
    if (equals == nullptr || equals == value) {
        *line = Refuse(*line, "--set takes NAME=VALUE, not", value);
        return;
    }
    AddSetting(line, "--set", std::string_view(value, equals - value), equals + 1);
}

// Sets the option's field from its value, or refuses the value. An option
// that stands for a setting also gives it.
static void TakeNumber(CommandLine* line, int* field, int low, int high, const char* refusal,
                       const char* option, const char* setting, const char* value) {
    const int number = ParseNumber(value, low, high);
    if (number < 0) {
        *line = Refuse(*line, refusal, value);
    } else if (setting == nullptr || AddSetting(line, option, setting, value)) {
        *field = number;
    }
}

// The options that take a number, a token, a file or a setting; false
// when the argument is none of them.
static bool ParseNumberOption(int argc, const char* const* argv, int* i, CommandLine* line) {
    bool missing = false;
    const char* argument = argv[*i];
    struct Numbered {
        const char* name;
        int low;
        int high;
        const char* refusal;
        int* field;
        const char* setting; // the setting it stands for, if any
    };
    const Numbered options[] = {
        {"--scale", kMinScale, kMaxScale, "--scale takes a whole number from 1 to 8, not",
         &line->window.scale, "scale"},
        {"--volume", 0, kMaxVolume, "--volume takes a whole number from 0 to 10, not",
         &line->sound.volume, "volume"},
        {"--input-delay", 0, kMaxInputDelay, "--input-delay takes a whole number from 0 to 4, not",
         &line->net.inputDelay, nullptr},
    };
    for (const Numbered& option : options) {
        if (const char* value = OptionValue(argc, argv, i, option.name, &missing)) {
            TakeNumber(line, option.field, option.low, option.high, option.refusal, option.name,
                       option.setting, value);
            return true;
        }
    }
    if (const char* value = OptionValue(argc, argv, i, "--set", &missing)) {
        TakeSetting(line, value);
        return true;
    }
    if (const char* value = OptionValue(argc, argv, i, "--config", &missing)) {
        line->configPath = value;
        return true;
    }
    if (const char* value = OptionValue(argc, argv, i, "--rejoin", &missing)) {
        if (!ParseToken(value, &line->net.rejoinToken) || line->net.rejoinToken == 0) {
            *line = Refuse(*line, "--rejoin takes the 16 hex digits of a token, not", value);
        }
        return true;
    }
    if (missing) {
        *line = Refuse(*line, "missing value after", argument);
    }
    return missing;
}

// A port: 1 to 65535 in decimal digits, without sign or spaces; 0 for
// anything else.
static std::uint16_t ParsePort(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 5) {
        return 0;
    }
    long value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return 0;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value <= 65535 ? static_cast<std::uint16_t>(value) : 0;
}

// HOST, HOST:PORT or :PORT, the host at most 255 characters.
static bool ParseJoin(const char* value, NetOptions* net) {
    const char* colon = std::strrchr(value, ':');
    const std::size_t length = colon == nullptr ? std::strlen(value) : colon - value;
    if ((length == 0 && colon == nullptr) || length >= sizeof net->host) {
        return false;
    }
    if (colon != nullptr) {
        net->port = ParsePort(colon + 1);
    }
    std::memcpy(net->host, value, length);
    net->host[length] = '\0';
    return net->port != 0;
}

// --host [PORT] and --join HOST[:PORT]; false when the argument is neither.
static bool ParseNetOption(int argc, const char* const* argv, int* i, CommandLine* line) {
    const char* argument = argv[*i];
    const bool host = std::strcmp(argument, "--host") == 0;
    const bool watch = std::strcmp(argument, "--watch") == 0;
    const bool join = watch || std::strcmp(argument, "--join") == 0;
    if (!host && !join) {
        return false;
    }
    if (line->net.mode != NetMode::kNone) {
        *line = Refuse(*line, "only one of --host, --join and --watch, not another", argument);
        return true;
    }
    line->net.mode = host ? NetMode::kHost : watch ? NetMode::kWatch : NetMode::kJoin;
    const bool valueFollows = *i + 1 < argc && argv[*i + 1][0] != '-';
    if (join && valueFollows && !ParseJoin(argv[++*i], &line->net)) {
        const char* what = watch ? "--watch takes HOST or HOST:PORT, PORT from 1 to 65535, not"
                                 : "--join takes HOST or HOST:PORT, PORT from 1 to 65535, not";
        *line = Refuse(*line, what, argv[*i]);
    } else if (host && valueFollows) {
        line->net.port = ParsePort(argv[++*i]);
        if (line->net.port == 0) {
            *line = Refuse(*line, "--host takes a port from 1 to 65535, not", argv[*i]);
        }
    }
    return true;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine commandLine;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            commandLine.action = CommandLineAction::kHelp;
            return commandLine;
        }
        if (std::strcmp(argument, "--version") == 0) {
            commandLine.action = CommandLineAction::kVersion;
            return commandLine;
        }
        if (std::strcmp(argument, "--fullscreen") == 0) {
            commandLine.window.fullscreen = true;
            AddSetting(&commandLine, argument, "fullscreen", "yes");
            continue;
        }
        if (std::strcmp(argument, "--keys") == 0) {
            commandLine.listKeys = true;
            continue;
        }
        if (std::strcmp(argument, "--key-test") == 0) {
            commandLine.keyTest = true;
            continue;
        }
        const bool record = std::strcmp(argument, "--record") == 0;
        if (record || std::strcmp(argument, "--play") == 0) {
            if (i + 1 == argc) {
                return Refuse(commandLine, "missing file after", argument);
            }
            if (commandLine.demo != DemoOption::kNone) {
                return Refuse(commandLine, "only one of --record and --play, not another",
                              argument);
            }
            commandLine.demo = record ? DemoOption::kRecord : DemoOption::kPlay;
            commandLine.demoPath = argv[++i];
            continue;
        }
        if (std::strcmp(argument, "--mute") == 0) {
            commandLine.sound.muted = true;
            AddSetting(&commandLine, argument, "mute", "yes");
            continue;
        }
        if (std::strcmp(argument, "--no-sound") == 0) {
            commandLine.sound.device = false;
            continue;
        }
        if (!ParseNetOption(argc, argv, &i, &commandLine) &&
            !ParseNumberOption(argc, argv, &i, &commandLine)) {
            return Refuse(commandLine, "unknown option", argument);
        }
        if (commandLine.action == CommandLineAction::kRefuse) {
            return commandLine;
        }
    }
    if (commandLine.action == CommandLineAction::kRefuse) {
        return commandLine;
    }
    if (commandLine.keyTest &&
        (commandLine.net.mode != NetMode::kNone || commandLine.demo != DemoOption::kNone)) {
        return Refuse(commandLine, "--key-test only shows the keys held, so not with",
                      commandLine.demo != DemoOption::kNone ? "--record or --play"
                                                            : "--host, --join or --watch");
    }
    const NetMode mode = commandLine.net.mode;
    if (commandLine.net.rejoinToken != 0 && mode != NetMode::kJoin) {
        return Refuse(commandLine, "--rejoin goes with --join, not without it", "--rejoin");
    }
    if (mode == NetMode::kWatch && commandLine.demo != DemoOption::kNone) {
        return Refuse(commandLine, "--watch neither records nor plays a demo, so not",
                      commandLine.demo == DemoOption::kRecord ? "--record" : "--play");
    }
    return commandLine;
}

void PrintUsage(std::FILE* stream) {
    std::fputs(kUsage, stream);
}

int AnswerCommandLine(const CommandLine& commandLine) {
    switch (commandLine.action) {
    case CommandLineAction::kHelp:
        PrintUsage(stdout);
        return 0;
    case CommandLineAction::kVersion:
        std::printf("flagrun %s\n", FLAGRUN_VERSION);
        return 0;
    case CommandLineAction::kRefuse:
        std::fprintf(stderr, "flagrun: %s\n", commandLine.error);
        PrintUsage(stderr);
        return 2;
    case CommandLineAction::kRun:
        break;
    }
    return 0;
}
