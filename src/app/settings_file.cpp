// The settings file in use: read once at start, written only to keep what
// the player chose.
#include "app/settings_file.h"

#include "app/config_file.h"
#include "app/paths.h"
#include "app/safe_write.h"

#include <cstdio>

namespace {

struct SettingsFile {
    std::string path;
    FileRead read = FileRead::kMissing;
    Settings settings = DefaultSettings();
    bool changed[kSettingCount] = {};
};

SettingsFile current;

} // namespace

std::string SettingsPath(const char* configOption) {
    if (configOption != nullptr) {
        return FromCaller(configOption);
    }
    return UserPath("XDG_CONFIG_HOME", ".config", "flagrun/flagrun.conf");
}

static void Warn(const std::string& message) {
    std::fprintf(stderr, "flagrun: %s\n", message.c_str());
}

// Writes the settings file whole; a failure is told in one line.
static void WriteSettings(const std::string& text) {
    std::string error;
    if (!WriteFileAtomically(current.path.c_str(), text, 0666, &error)) {
        Warn("cannot write the settings file '" + current.path + "': " + error);
    }
}

int LoadSettings(const CommandLine& commandLine) {
    current = SettingsFile{};
    current.path = SettingsPath(commandLine.configPath);
    std::string text;
    std::string error;
    std::vector<std::string> messages;
    current.read = current.path.empty() ? FileRead::kFailed
                                        : ReadConfigFile(current.path.c_str(), &text, &error);
    if (current.read == FileRead::kFailed && !current.path.empty()) {
        messages.push_back(error + "; the defaults apply");
    }
    if (current.read != FileRead::kRead) {
        text.clear(); // nothing of a file read in part
    }
    ApplyConfigText(text, current.path.c_str(), &current.settings, &messages);
    bool refused = false;
    for (int i = 0; i < commandLine.settingCount && !refused; ++i) {
        refused = !ApplyArgument(commandLine.settings[i], &current.settings, &error);
    }
    refused = refused || !SettleClashes(current.path.c_str(), &current.settings, &messages, &error);
    for (const std::string& message : messages) {
        Warn(message);
    }
    if (refused) {
        Warn(error);
        PrintUsage(stderr);
        return 2;
    }
    return 0;
}

const Settings& SettingsInForce() {
    return current.settings;
}

const std::string& SettingsFilePath() {
    return current.path;
}

// Rewrites the setting's line in the file as it is now, which the player
// may have edited since the start; the first line naming the setting is
// its line.
static void SaveSetting(int setting) {
    std::string text;
    std::string error;
    const FileRead read = ReadConfigFile(current.path.c_str(), &text, &error);
    if (read != FileRead::kRead) {
        if (read == FileRead::kFailed) {
            Warn(error + "; not saving " + SettingName(setting));
        }
        current.read = read;
        return;
    }
    int line = 0;
    for (const ConfigEntry& entry : ConfigEntries(text)) {
        if (line == 0 && entry.name == SettingName(setting)) {
            line = entry.line;
        }
    }
    WriteSettings(
        WithValue(text, line, SettingName(setting), ValueText(current.settings, setting)));
}

void ChangeSetting(int setting, int value) {
    if (current.settings.value[setting] == value) {
        return;
    }
    current.settings.value[setting] = value;
    current.changed[setting] = true;
    if (current.read == FileRead::kRead) {
        SaveSetting(setting);
    }
}

void WriteMissingSettingsFile() {
    std::string text;
    std::string error;
    if (current.path.empty() ||
        ReadConfigFile(current.path.c_str(), &text, &error) != FileRead::kMissing) {
        return;
    }
    WriteSettings(DefaultConfigText(current.settings, current.changed));
}
