// Files written whole or not at all.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// Writes `text` to a new file beside `path` (its name: the file's and a
// random suffix), flushes it to the disk and renames it over the file, so
// that readers see the old file or the new one and never a part. A
// symbolic link is followed, and the file it points to replaced. The new
// file keeps the old one's mode; a first one takes `mode` less the umask.
// Missing directories are made, as private ones. False, with the reason in
// `error`, when any step fails; the temporary file is then removed.
bool WriteFileAtomically(const char* path, std::string_view text, mode_t mode, std::string* error);
