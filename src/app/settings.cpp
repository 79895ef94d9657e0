// The settings table: names, values, the file's lines and the command line.
#include "app/settings.h"

#include "app/config_file.h"
#include "input/key_names.h"

#include <cctype>
#include <cstring>

enum class Kind { kScale, kSwitch, kVolume, kKey };

// The keys' setting names, in key map order: the bindings table's, then
// the controls'.
static constexpr const char* kKeySettingNames[kKeyMapSize] = {
    "key_p1_up",      "key_p1_down",    "key_p1_left",     "key_p1_right",  "key_p2_up",
    "key_p2_left",    "key_p2_down",    "key_p2_right",    "key_p1_laser",  "key_p2_laser",
    "key_p2_grenade", "key_p1_grenade", "key_pause",       "key_mute",      "key_fullscreen",
    "key_quit",       "key_status",     "key_volume_down", "key_volume_up",
};

static constexpr const char* kPlainSettingNames[kFirstKeySetting] = {"scale", "fullscreen",
                                                                     "volume", "mute"};

static Kind KindOf(int setting) {
    switch (setting) {
    case kScaleSetting:
        return Kind::kScale;
    case kVolumeSetting:
        return Kind::kVolume;
    case kFullScreenSetting:
    case kMuteSetting:
        return Kind::kSwitch;
    default:
        return Kind::kKey;
    }
}

const char* SettingName(int setting) {
    return setting < kFirstKeySetting ? kPlainSettingNames[setting]
                                      : kKeySettingNames[setting - kFirstKeySetting];
}

int FindSetting(std::string_view name) {
    for (int setting = 0; setting < kSettingCount; ++setting) {
        if (name == SettingName(setting)) {
            return setting;
        }
    }
    return -1;
}

Settings DefaultSettings() {
    Settings settings;
    settings.value[kVolumeSetting] = kMaxVolume;
    const KeyMap keys = DefaultKeyMap();
    for (int key = 0; key < kKeyMapSize; ++key) {
        settings.value[kFirstKeySetting + key] = keys.keys[key];
    }
    return settings;
}

std::string ValueText(const Settings& settings, int setting) {
    const int value = settings.value[setting];
    switch (KindOf(setting)) {
    case Kind::kScale:
        return value == 0 ? "auto" : std::to_string(value);
    case Kind::kSwitch:
        return value != 0 ? "yes" : "no";
    case Kind::kVolume:
        return std::to_string(value);
    case Kind::kKey:
        return KeyName(static_cast<SDLKey>(value));
    }
    return "";
}

static bool SameWord(std::string_view text, const char* word) {
    if (text.size() != std::strlen(word)) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) {
            return false;
        }
    }
    return true;
}

// One or two decimal digits from low to high; -1 for anything else.
static int WholeNumber(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 2) {
        return -1;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high ? value : -1;
}

static int SwitchValue(std::string_view text) {
    for (const char* yes : {"yes", "true", "on", "1"}) {
        if (SameWord(text, yes)) {
            return 1;
        }
    }
    for (const char* no : {"no", "false", "off", "0"}) {
        if (SameWord(text, no)) {
            return 0;
        }
    }
    return -1;
}

// The value the text stands for, or -1 with the problem in `error`.
static int ParseValue(int setting, std::string_view text, std::string* error) {
    const std::string quoted = "'" + std::string(text) + "'";
    int value = -1;
    switch (KindOf(setting)) {
    case Kind::kScale:
        value = SameWord(text, "auto") ? 0 : WholeNumber(text, kMinScale, kMaxScale);
        *error = "scale takes auto or a whole number from 1 to 8, not " + quoted;
        break;
    case Kind::kSwitch:
        value = SwitchValue(text);
        *error = std::string(SettingName(setting)) + " takes yes or no, not " + quoted;
        break;
    case Kind::kVolume:
        value = WholeNumber(text, 0, kMaxVolume);
        *error = "volume takes a whole number from 0 to 10, not " + quoted;
        break;
    case Kind::kKey:
        value = KeyNamed(text);
        value = value == SDLK_UNKNOWN ? -1 : value;
        *error = std::string(SettingName(setting)) + ": SDL knows no key called " + quoted +
                 " (flagrun --key-test shows the names of the keys held)";
        break;
    }
    return value;
}

static std::string At(const char* path, int line) {
    return std::string(path) + ":" + std::to_string(line) + ": ";
}

void ApplyConfigText(std::string_view text, const char* path, Settings* settings,
                     std::vector<std::string>* messages) {
    int firstLine[kSettingCount] = {};
    for (const ConfigEntry& entry : ConfigEntries(text)) {
        const int setting = entry.malformed ? -1 : FindSetting(entry.name);
        std::string problem;
        if (entry.malformed) {
            problem = "not a 'name = value' line";
        } else if (setting < 0) {
            problem = "unknown setting '" + std::string(entry.name) + "'";
        } else if (firstLine[setting] != 0) {
            problem = std::string(SettingName(setting)) + " is set on line " +
                      std::to_string(firstLine[setting]) + " already";
        }
        if (setting >= 0 && firstLine[setting] == 0) {
            firstLine[setting] = entry.line;
            const int value = ParseValue(setting, entry.value, &problem);
            if (value >= 0) {
                problem.clear();
                settings->value[setting] = value;
                settings->origin[setting] = Origin::kFile;
                settings->line[setting] = entry.line;
            }
        }
        if (!problem.empty()) {
            messages->push_back(At(path, entry.line) + problem);
        }
    }
}

bool ApplyArgument(const SettingArgument& argument, Settings* settings, std::string* error) {
    const int setting = FindSetting(argument.name);
    if (setting < 0) {
        *error =
            std::string(argument.option) + ": unknown setting '" + std::string(argument.name) + "'";
        return false;
    }
    const int value = ParseValue(setting, argument.value, error);
    if (value < 0) {
        *error = std::string(argument.option) + ": " + *error;
        return false;
    }
    settings->value[setting] = value;
    settings->origin[setting] = Origin::kOption;
    settings->option[setting] = argument.option;
    return true;
}

// The first two keys bound alike, or false.
static bool FindClash(const Settings& settings, int* a, int* b) {
    for (*a = kFirstKeySetting; *a < kSettingCount; ++*a) {
        for (*b = *a + 1; *b < kSettingCount; ++*b) {
            if (settings.value[*a] == settings.value[*b]) {
                return true;
            }
        }
    }
    return false;
}

static void Revert(Settings* settings, int setting) {
    settings->value[setting] = DefaultSettings().value[setting];
    settings->origin[setting] = Origin::kDefault;
    settings->line[setting] = 0;
}

// Who else holds the key, for a message.
static std::string Holder(const Settings& settings, int setting) {
    const std::string name = SettingName(setting);
    switch (settings.origin[setting]) {
    case Origin::kFile:
        return "bound to " + name + " on line " + std::to_string(settings.line[setting]);
    case Origin::kOption:
        return "bound to " + name + " by " + settings.option[setting];
    case Origin::kDefault:
        break;
    }
    return name + "'s key";
}

bool SettleClashes(const char* path, Settings* settings, std::vector<std::string>* messages,
                   std::string* error) {
    int a = 0;
    int b = 0;
    while (FindClash(*settings, &a, &b)) {
        const std::string key = "'" + ValueText(*settings, a) + "' is ";
        const bool fileA = settings->origin[a] == Origin::kFile;
        const bool fileB = settings->origin[b] == Origin::kFile;
        if (fileA && fileB) {
            const bool aLater = settings->line[a] > settings->line[b];
            const int later = aLater ? a : b;
            const int earlier = aLater ? b : a;
            messages->push_back(At(path, settings->line[later]) + key + Holder(*settings, earlier) +
                                " as well; both keep their default keys");
            Revert(settings, a);
            Revert(settings, b);
        } else if (fileA || fileB) {
            const int fromFile = fileA ? a : b;
            const int other = fileA ? b : a;
            messages->push_back(At(path, settings->line[fromFile]) + key +
                                Holder(*settings, other) + " as well; " + SettingName(fromFile) +
                                " keeps its default key");
            Revert(settings, fromFile);
        } else {
            const int fromOption = settings->origin[a] == Origin::kOption ? a : b;
            const int other = fromOption == a ? b : a;
            *error = std::string(settings->option[fromOption]) + " " + SettingName(fromOption) +
                     ": " + key + Holder(*settings, other) + " as well";
            return false;
        }
    }
    return true;
}

WindowOptions WindowOf(const Settings& settings) {
    WindowOptions window;
    window.scale = settings.value[kScaleSetting];
    window.environmentWins = settings.origin[kScaleSetting] != Origin::kOption;
    window.fullscreen = settings.value[kFullScreenSetting] != 0;
    return window;
}

SoundOptions SoundOf(const Settings& settings, bool device) {
    SoundOptions sound;
    sound.device = device;
    sound.volume = settings.value[kVolumeSetting];
    sound.muted = settings.value[kMuteSetting] != 0;
    return sound;
}

KeyMap KeyMapOf(const Settings& settings) {
    KeyMap map{};
    for (int key = 0; key < kKeyMapSize; ++key) {
        map.keys[key] = static_cast<SDLKey>(settings.value[kFirstKeySetting + key]);
    }
    return map;
}
