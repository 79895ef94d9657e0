// Writing finished asset bytes to disk, creating folders on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates every missing folder on the path; false with a message on stderr
// when that is impossible.
bool MakeDirectories(const std::string& path);
// Writes the bytes as the whole file; false with a message on stderr when
// the file cannot be written completely.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
