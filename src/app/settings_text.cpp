// The settings written out: the commented file the game makes, and the
// listing of what is in force.
#include "app/settings.h"

namespace {

// A part of the file: its comment, then its settings in order.
struct Section {
    const char* comment;
    int settings[7];
    int count;
};

constexpr int Key(int index) {
    return kFirstKeySetting + index;
}

// The bindings table's order is the replay scripts' key mask; the file
// goes by player, then by action.
constexpr Section kSections[] = {
    {"# The window: scale is auto (the largest that fits the desktop) or 1 to 8,\n"
     "# each game pixel drawn as an N x N block; fullscreen is yes or no.\n",
     {kScaleSetting, kFullScreenSetting},
     2},
    {"# The sound: volume from 0 to 10; mute is yes or no.\n", {kVolumeSetting, kMuteSetting}, 2},
    {"# The keys, named as SDL names them. \"flagrun --key-test\" shows the name of\n"
     "# each key held, and which keys the keyboard reports together; \"flagrun\n"
     "# --keys\" lists the keys in force. No key may do two things.\n"
     "\n"
     "# Player 1\n",
     {Key(0), Key(1), Key(2), Key(3), Key(8), Key(11)},
     6},
    {"# Player 2. On a French (AZERTY) keyboard, the keys where a QWERTY one has\n"
     "# W, A, S and D are Z, Q, S and D:\n"
     "#   key_p2_up = z\n"
     "#   key_p2_left = q\n",
     {Key(4), Key(5), Key(6), Key(7), Key(9), Key(10)},
     6},
    {"# Pause and resume, mute and unmute, full screen, quit, the online status\n"
     "# line, and the volume down and up.\n",
     {Key(kPauseKey), Key(kMuteKey), Key(kFullScreenKey), Key(kQuitKey), Key(kStatusKey),
      Key(kVolumeDownKey), Key(kVolumeUpKey)},
     7},
};

constexpr const char* kHeader =
    "# flagrun's settings, read at every start.\n"
    "#\n"
    "# Each line is \"name = value\"; a line that starts with # is a comment. An\n"
    "# option on the command line wins over its line here. The game changes only\n"
    "# the line of a setting changed in play (with M, F11 or the volume keys) and\n"
    "# keeps the rest of the file as it is: comments, order and unknown lines.\n";

} // namespace

std::string DefaultConfigText(const Settings& settings, const bool* changed) {
    const Settings defaults = DefaultSettings();
    std::string text = kHeader;
    for (const Section& section : kSections) {
        text.append("\n").append(section.comment);
        for (int i = 0; i < section.count; ++i) {
            const int setting = section.settings[i];
            const Settings& from = changed[setting] ? settings : defaults;
            text.append(SettingName(setting)).append(" = ");
            text.append(ValueText(from, setting)).append("\n");
        }
    }
    return text;
}

static std::string OriginText(const Settings& settings, int setting, const char* path) {
    switch (settings.origin[setting]) {
    case Origin::kFile:
        return std::string("file ") + path + ":" + std::to_string(settings.line[setting]);
    case Origin::kOption:
        return std::string("option ") + settings.option[setting];
    case Origin::kDefault:
        break;
    }
    return "default";
}

void PrintSettings(std::FILE* stream, const Settings& settings, const char* path) {
    std::fprintf(stream, "Settings file: %s\n",
                 path[0] != '\0' ? path : "none (neither XDG_CONFIG_HOME nor HOME is set)");
    std::fprintf(stream, "%-16s %-12s %s\n", "SETTING", "VALUE", "FROM");
    for (const Section& section : kSections) {
        for (int i = 0; i < section.count; ++i) {
            const int setting = section.settings[i];
            std::fprintf(stream, "%-16s %-12s %s\n", SettingName(setting),
                         ValueText(settings, setting).c_str(),
                         OriginText(settings, setting, path).c_str());
        }
    }
}
