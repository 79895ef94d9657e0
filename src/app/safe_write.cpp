// The write through a temporary file and a rename.
#include "app/safe_write.h"

#include "app/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

static bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a path names, past any symbolic links; the path itself when it
// names nothing yet.
static std::string Target(const char* path) {
    char resolved[PATH_MAX];
    return realpath(path, resolved) != nullptr ? std::string(resolved) : std::string(path);
}

// The mode for the new file: the old file's, or what the umask leaves of
// `mode`.
static mode_t NewMode(const std::string& path, mode_t mode) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mode & ~mask;
}

static void SyncDirectory(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

bool WriteFileAtomically(const char* path, std::string_view text, mode_t mode, std::string* error) {
    const std::string target = Target(path);
    MakeParents(target);
    std::string temporary = target + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    const bool written =
        fchmod(fd, NewMode(target, mode)) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    const int saved = errno;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        errno = written && closed ? errno : saved;
        *error = std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    SyncDirectory(target);
    return true;
}
