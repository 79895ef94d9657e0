// The rejoin file: one line of 16 hex digits, written whole or not at all
// (app/safe_write.h), so that a crash never leaves half a token.
#include "app/rejoin.h"

#include "app/safe_write.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string RejoinPath(const char* host, std::uint16_t port) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') {
        return "";
    }
    std::string name = std::string(host) + "-" + std::to_string(port);
    for (char& c : name) {
        c = c == '/' ? '_' : c;
    }
    return std::string(runtime) + "/flagrun/rejoin-" + name;
}

bool ParseToken(const char* text, std::uint64_t* token) {
    if (std::strlen(text) != 16 || std::strspn(text, "0123456789abcdefABCDEF") != 16) {
        return false;
    }
    *token = std::strtoull(text, nullptr, 16);
    return true;
}

bool ReadRejoinToken(const std::string& path, std::uint64_t* token) {
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    char line[32] = "";
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    line[std::strcspn(line, "\n")] = '\0';
    return read && ParseToken(line, token);
}

void KeepRejoinToken(const std::string& path, std::uint64_t token) {
    char line[20];
    std::snprintf(line, sizeof line, "%016llx\n", static_cast<unsigned long long>(token));
    std::string error;
    if (!path.empty()) {
        WriteFileAtomically(path.c_str(), line, 0600, &error);
    }
}

void ForgetRejoinToken(const std::string& path) {
    if (!path.empty()) {
        std::remove(path.c_str());
    }
}
