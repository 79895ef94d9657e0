// The settings file as text: `name = value` lines and whole-line `#`
// comments, read whole, changed one line at a time, and written so that a
// crash at any moment leaves either the old file or the new one.
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

// Writes `text` to a new file beside `path` (its name: the file's and a
// random suffix), flushes it to the disk and renames it over the file, so
// that readers see the old file or the new one and never a part. A
// symbolic link is followed, and the file it points to replaced. The new
// file keeps the old one's mode. Missing directories are made, as private
// ones. False, with `error` set, when any step fails; the temporary file is
// then removed.
bool WriteFileAtomically(const char* path, std::string_view text, std::string* error);
