// The settings in force: read at start from the settings file and the
// command line, and the file kept up to date with what the player changes
// in play.
#pragma once

#include "app/command_line.h"
#include "app/settings.h"

#include <string>

// --config FILE, from the caller's directory, or else
// $XDG_CONFIG_HOME/flagrun/flagrun.conf (by default under ~/.config).
std::string SettingsPath(const char* configOption);

// Reads the settings: the defaults, the file's lines, the command line's
// settings, each key bound once. Prints a line on standard error for each
// bad line of the file, which is left out. Returns 0; or, after printing
// the refusal and the usage, 2 for a bad setting on the command line.
int LoadSettings(const CommandLine& commandLine);

// The settings in force, and the file they were read from.
const Settings& SettingsInForce();
const std::string& SettingsFilePath();

// A setting changed in play: in force at once, and saved by rewriting its
// own line of the file (or adding it), the rest of the file kept as it is.
// With no file yet, it is saved in the file written at the end. A value
// the setting already has changes nothing.
void ChangeSetting(int setting, int value);

// At a clean end: when there is no settings file, writes a whole commented
// one with the defaults and the settings changed in play.
void WriteMissingSettingsFile();
