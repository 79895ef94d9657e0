// The rejoin file: one line of 16 hex digits, written to a temporary name
// and renamed into place, so that a crash never leaves half a token.
#include "app/rejoin.h"

#include "app/paths.h"

#include <sys/stat.h>
#include <unistd.h>

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
    if (path.empty()) {
        return;
    }
    MakeParents(path);
    const std::string temporary = path + "." + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) {
        return;
    }
    chmod(temporary.c_str(), 0600);
    const bool written =
        std::fprintf(file, "%016llx\n", static_cast<unsigned long long>(token)) > 0;
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
    }
}

void ForgetRejoinToken(const std::string& path) {
    if (!path.empty()) {
        std::remove(path.c_str());
    }
}
