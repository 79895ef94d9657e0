// The token a joiner proves himself with when he comes back to a game his
// crash left: the token of his first handshake, kept in a small file under
// $XDG_RUNTIME_DIR for the host and port he joined, or given by --rejoin.
#pragma once

#include <cstdint>
#include <string>

// The file for a host and port; "" when XDG_RUNTIME_DIR is not set.
std::string RejoinPath(const char* host, std::uint16_t port);

// The token in the file; false when there is none to read.
bool ReadRejoinToken(const std::string& path, std::uint64_t* token);

// Keeps the token, for this user only; a failure costs only the rejoin.
void KeepRejoinToken(const std::string& path, std::uint64_t token);

// A game that ended as it should leaves nothing to come back to.
void ForgetRejoinToken(const std::string& path);

// 16 hex digits to a token; false for anything else.
bool ParseToken(const char* text, std::uint64_t* token);
