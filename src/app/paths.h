// Where the game's files go: the user's directories and the caller's.
#pragma once

#include <string>

// The path as the player meant it: relative paths are taken from the
// directory flagrun was started in (FLAGRUN_CALLER_DIR, set by the
// installed launcher, which starts the game in its data directory).
std::string FromCaller(const char* path);

// The directories above `path`, made as needed, for this user only; those
// there already stay as they are.
void MakeParents(const std::string& path);

// `name` under the directory in the environment variable when it holds an
// absolute path (as the XDG base directories require), or else under
// $HOME/`fallback`; "" when neither can be had.
std::string UserPath(const char* variable, const char* fallback, const char* name);
