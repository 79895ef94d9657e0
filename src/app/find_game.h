// Which host to join or watch: the one named on the command line, or one
// found on the local network, by its name or as the first to answer.
#pragma once

#include "app/command_line.h"

#include <string>

// How long a search of the local network listens for answers.
inline constexpr int kSearchMs = 1000;

// Fills in net->host and net->port from a search when no host was given,
// or when the one given is no name or address the system knows but the
// name a host on the local network answers with. False, saying why in
// *error, when there is none to be found.
bool FindGame(NetOptions* net, std::string* error);
