// The settings: the file's lines, bad ones named and left out, clashing
// keys, the command line over the file, one line rewritten, and a write
// that a kill cannot leave half done.
#include "app/command_line.h"
#include "app/config_file.h"
#include "app/safe_write.h"
#include "app/settings.h"
#include "input/key_names.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Loaded {
    Settings settings = DefaultSettings();
    std::vector<std::string> messages;
    std::string refusal;
};

// The settings from a file's text and then the command line's arguments.
Loaded Load(const char* text, std::vector<const char*> arguments = {}) {
    Loaded loaded;
    arguments.insert(arguments.begin(), "flagrun");
    const CommandLine line = ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
    ApplyConfigText(text, "f", &loaded.settings, &loaded.messages);
    for (int i = 0; i < line.settingCount; ++i) {
        EXPECT_TRUE(ApplyArgument(line.settings[i], &loaded.settings, &loaded.refusal));
    }
    SettleClashes("f", &loaded.settings, &loaded.messages, &loaded.refusal);
    return loaded;
}

int Value(const Loaded& loaded, const char* name) {
    return loaded.settings.value[FindSetting(name)];
}

struct BadLine {
    const char* text;
    const char* message;
};

const BadLine kBadLines[] = {
    {"volume = 11", "f:1: volume takes a whole number from 0 to 10, not '11'"},
    {"scale = 0", "f:1: scale takes auto or a whole number from 1 to 8, not '0'"},
    {"mute = maybe", "f:1: mute takes yes or no, not 'maybe'"},
    {"key_p1_up = upp", "f:1: key_p1_up: SDL knows no key called 'upp' (flagrun --key-test "
                        "shows the names of the keys held)"},
    {"key_p1_up = unknown key", "f:1: key_p1_up: SDL knows no key called 'unknown key' "
                                "(flagrun --key-test shows the names of the keys held)"},
    {"colour = red", "f:1: unknown setting 'colour'"},
    {"fullscreen", "f:1: not a 'name = value' line"},
    {"volume = 3\nvolume = 4", "f:2: volume is set on line 1 already"},
    {"key_p1_laser = w", "f:1: 'w' is key_p2_up's key as well; key_p1_laser keeps its default key"},
    {"key_p1_laser = x\nkey_p2_down = x",
     "f:2: 'x' is bound to key_p1_laser on line 1 as well; both keep their default keys"},
};

TEST(Settings, EachBadLineIsNamedOnceAndLeftOut) {
    for (const BadLine& bad : kBadLines) {
        const Loaded loaded = Load(bad.text);
        EXPECT_EQ(loaded.messages, std::vector<std::string>{bad.message}) << bad.text;
        const bool volumeTaken = std::string(bad.text).starts_with("volume = 3");
        EXPECT_EQ(Value(loaded, "volume"), volumeTaken ? 3 : kMaxVolume) << bad.text;
        for (int key = kFirstKeySetting; key < kSettingCount; ++key) {
            EXPECT_EQ(loaded.settings.value[key], DefaultSettings().value[key]) << bad.text;
        }
    }
}

TEST(Settings, KeysSetFreeAClashedKeyOnlyAsLongAsItClashes) {
    const Loaded loaded = Load("key_p2_laser = space\nkey_p1_laser = x\nkey_p2_down = x\n");
    const std::vector<std::string> expected = {
        "f:3: 'x' is bound to key_p1_laser on line 2 as well; both keep their default keys",
        "f:1: 'space' is key_p1_laser's key as well; key_p2_laser keeps its default key"};
    EXPECT_EQ(loaded.messages, expected);
    EXPECT_EQ(Value(loaded, "key_p2_laser"), SDLK_LCTRL);
}

TEST(Settings, TheFilesLinesTakeEffectInAnyCaseAndLineEnd) {
    const Loaded loaded = Load("# mine\r\n  key_p1_laser =  X \r\nscale=3\nfullscreen = On");
    EXPECT_TRUE(loaded.messages.empty());
    EXPECT_EQ(Value(loaded, "key_p1_laser"), SDLK_x);
    EXPECT_EQ(loaded.settings.line[FindSetting("key_p1_laser")], 2);
    EXPECT_EQ(loaded.settings.origin[FindSetting("scale")], Origin::kFile);
    EXPECT_EQ(Value(loaded, "scale"), 3);
    EXPECT_EQ(Value(loaded, "fullscreen"), 1);
}

TEST(Settings, TheCommandLineWinsOverTheFile) {
    const Loaded loaded =
        Load("scale = 4\nmute = no\nvolume = 8\nkey_p1_laser = x\n",
             {"--scale", "2", "--mute", "--set", "volume=3", "--set=key_p2_up=x"});
    EXPECT_EQ(Value(loaded, "scale"), 2);
    EXPECT_EQ(Value(loaded, "mute"), 1);
    EXPECT_EQ(Value(loaded, "volume"), 3);
    EXPECT_EQ(Value(loaded, "key_p2_up"), SDLK_x);
    EXPECT_EQ(Value(loaded, "key_p1_laser"), SDLK_SPACE);
    EXPECT_STREQ(loaded.settings.option[FindSetting("volume")], "--set");
    const std::vector<std::string> expected = {
        "f:4: 'x' is bound to key_p2_up by --set as well; key_p1_laser keeps its default key"};
    EXPECT_EQ(loaded.messages, expected);
    EXPECT_EQ(Load("", {"--set", "key_p1_laser=w"}).refusal,
              "--set key_p1_laser: 'w' is key_p2_up's key as well");
}

TEST(Settings, TheWrittenFileReadsBackAsTheDefaultsWithTheChanges) {
    Settings settings = DefaultSettings();
    bool changed[kSettingCount] = {};
    settings.value[kMuteSetting] = 1;
    changed[kMuteSetting] = true;
    const std::string text = DefaultConfigText(settings, changed);
    const Loaded loaded = Load(text.c_str());
    EXPECT_TRUE(loaded.messages.empty());
    for (int setting = 0; setting < kSettingCount; ++setting) {
        EXPECT_EQ(loaded.settings.origin[setting], Origin::kFile) << SettingName(setting);
        EXPECT_EQ(loaded.settings.value[setting], settings.value[setting]) << SettingName(setting);
    }
}

TEST(Keys, EveryKeySdlNamesIsReadBackByItsName) {
    for (int key = SDLK_FIRST + 1; key < SDLK_LAST; ++key) {
        const std::string name = KeyName(static_cast<SDLKey>(key));
        EXPECT_EQ(KeyNamed(name), name == "unknown key" ? SDLK_UNKNOWN : key) << name;
    }
    EXPECT_EQ(KeyNamed("LEFT Ctrl"), SDLK_LCTRL);
}

struct Rewrite {
    const char* text;
    int line;
    const char* expected;
};

const Rewrite kRewrites[] = {
    {"a = 1\r\nmute=no  \n# x\n", 2, "a = 1\r\nmute=yes\n# x\n"},
    {"a = 1\r\nmute =  no\r\n", 2, "a = 1\r\nmute =  yes\r\n"},
    {"mute =\nb = 2", 1, "mute = yes\nb = 2"},
    {"# only a comment", 0, "# only a comment\nmute = yes\n"},
    {"", 0, "mute = yes\n"},
};

TEST(ConfigFile, OneValueIsRewrittenAndAllElseKept) {
    for (const Rewrite& rewrite : kRewrites) {
        EXPECT_EQ(WithValue(rewrite.text, rewrite.line, "mute", "yes"), rewrite.expected)
            << rewrite.text;
    }
}

std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The directory's changes, as "created NAME", "moved from NAME" and so on.
std::vector<std::string> Changes(int watch) {
    std::vector<std::string> changes;
    alignas(inotify_event) char buffer[4096];
    const ssize_t length = read(watch, buffer, sizeof buffer);
    for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        const char* what = event->mask & IN_CREATE       ? "created "
                           : event->mask & IN_MODIFY     ? "modified "
                           : event->mask & IN_MOVED_FROM ? "moved from "
                                                         : "moved to ";
        changes.push_back(what + std::string(event->name));
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    return changes;
}

// The new text goes to a temporary name beside the file, which is renamed
// over it: a process killed at any moment leaves the old text or the new.
TEST(ConfigFile, AKilledWriteLeavesTheOldFileOrTheNewOne) {
    const fs::path directory =
        fs::temp_directory_path() / ("flagrun-write-" + std::to_string(getpid()));
    fs::create_directories(directory);
    const fs::path path = directory / "flagrun.conf";
    std::string texts[2] = {std::string(50000, 'a'), std::string(70000, 'b')};
    texts[0].append("\nmute = no\n");
    texts[1].append("\nmute = yes\n");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), texts[0], 0666, &error)) << error;
    const int watch = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(watch, directory.c_str(), IN_CREATE | IN_MODIFY | IN_MOVE);
    ASSERT_TRUE(WriteFileAtomically(path.c_str(), texts[1], 0666, &error)) << error;
    const std::vector<std::string> changes = Changes(watch);
    close(watch);
    ASSERT_GE(changes.size(), 4u);
    const std::string temporary = changes.front().substr(8);
    EXPECT_TRUE(temporary.starts_with("flagrun.conf.")) << temporary;
    const std::vector<std::string> ends = {"moved from " + temporary, "moved to flagrun.conf"};
    EXPECT_EQ(std::vector<std::string>(changes.end() - 2, changes.end()), ends);
    std::mt19937 random(7);
    for (int kill = 0; kill < 60; ++kill) {
        const pid_t writer = fork();
        for (int i = 0; writer == 0; ++i) {
            WriteFileAtomically(path.c_str(), texts[i % 2], 0666, &error);
        }
        usleep(random() % 3000);
        ::kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        const std::string now = Contents(path);
        ASSERT_TRUE(now == texts[0] || now == texts[1]) << "killed " << kill << ": " << now.size();
    }
    fs::remove_all(directory);
}

} // namespace
