// The settings file as text: `name = value` lines and whole-line `#`
// comments, read whole and changed one line at a time (app/safe_write.h
// writes it).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One line that is not blank and not a comment. A line without '=' is
// malformed; its name and value are then empty.
struct ConfigEntry {
    int line = 0; // from 1
    std::string_view name;
    std::string_view value;
    bool malformed = false;
};

// The entries of a file's text, in order; names and values trimmed of
// blanks, and of a carriage return before the newline.
std::vector<ConfigEntry> ConfigEntries(std::string_view text);

// The text with the value on line `line` (from 1) replaced by `value`,
// everything up to the blanks after '=' and the line's end kept as they
// were; with line 0, the text with "name = value" added as a last line.
std::string WithValue(std::string_view text, int line, std::string_view name,
                      std::string_view value);

enum class FileRead { kRead, kMissing, kFailed };

// Reads the whole file, up to 1 MiB, into `text`. On kFailed, `error` says
// why (a directory, unreadable, too large).
FileRead ReadConfigFile(const char* path, std::string* text, std::string* error);
