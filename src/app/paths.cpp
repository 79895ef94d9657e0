// The game's paths.
#include "app/paths.h"

#include "app/demo_session.h"

#include <sys/stat.h>

#include <cstdlib>

std::string FromCaller(const char* path) {
    const char* caller = std::getenv(kCallerDirectoryVariable);
    if (path[0] == '/' || caller == nullptr || caller[0] == '\0') {
        return path;
    }
    return std::string(caller) + "/" + path;
}

void MakeParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0700);
    }
}

std::string UserPath(const char* variable, const char* fallback, const char* name) {
    const char* base = std::getenv(variable);
    if (base != nullptr && base[0] == '/') {
        return std::string(base) + "/" + name;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return "";
    }
    return std::string(home) + "/" + fallback + "/" + name;
}
