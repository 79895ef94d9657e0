// The player's settings: the window, the sound and every key, each with
// where it came from. Defaults first, then the settings file, then the
// command line, which wins.
#pragma once

#include "app/window.h"
#include "input/bindings.h"
#include "sound/sound.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

enum SettingIndex : int {
    kScaleSetting,      // 0 for the desktop's choice, or 1 to 8
    kFullScreenSetting, // 0 or 1
    kVolumeSetting,     // 0 to 10
    kMuteSetting,       // 0 or 1
    kFirstKeySetting,   // then each key of the key map, as an SDLKey
    kSettingCount = kFirstKeySetting + kKeyMapSize
};

enum class Origin { kDefault, kFile, kOption };

struct Settings {
    int value[kSettingCount] = {};
    Origin origin[kSettingCount] = {};
    int line[kSettingCount] = {};           // the file's line, for Origin::kFile
    const char* option[kSettingCount] = {}; // the option, for Origin::kOption
};

// A setting given on the command line: --set NAME=VALUE, or an option
// that stands for one (--scale N is "scale" and N).
struct SettingArgument {
    const char* option = "";
    std::string_view name;
    std::string_view value;
};

Settings DefaultSettings();

// The setting called `name`, or -1.
int FindSetting(std::string_view name);
const char* SettingName(int setting);

// The setting's value as the file writes it: "auto", "yes", "7", "left ctrl".
std::string ValueText(const Settings& settings, int setting);

// Takes each line of the file's text in turn. Each bad line adds one
// message (without the program's name) naming the file, the line and the
// problem, and is left out: an unknown name, a malformed line, a value out
// of range or a key SDL has no name for, a setting given again.
void ApplyConfigText(std::string_view text, const char* path, Settings* settings,
                     std::vector<std::string>* messages);

// Takes one setting from the command line; false, with the refusal in
// `error`, when its name or value is bad.
bool ApplyArgument(const SettingArgument& argument, Settings* settings, std::string* error);

// Leaves no key bound to two things. A key from the file that another
// setting also holds is taken back to its default, with a message naming
// its line (two such lines give one message, and both take their
// defaults); this is done until no two keys clash. False, with the refusal
// in `error`, when a key from the command line clashes with one that is
// not from the file.
bool SettleClashes(const char* path, Settings* settings, std::vector<std::string>* messages,
                   std::string* error);

// What the settings ask of the window, the sound and the keys. The sound's
// device choice comes from the command line alone.
WindowOptions WindowOf(const Settings& settings);
SoundOptions SoundOf(const Settings& settings, bool device);
KeyMap KeyMapOf(const Settings& settings);

// A whole settings file, commented: the defaults with the given settings'
// values where `changed` is set.
std::string DefaultConfigText(const Settings& settings, const bool* changed);

// One line a setting: its name, its value and where it came from.
void PrintSettings(std::FILE* stream, const Settings& settings, const char* path);
