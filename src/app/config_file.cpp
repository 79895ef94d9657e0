// The settings file's lines, and its reading.
#include "app/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

static constexpr long kMaxConfigBytes = 1 << 20;

static std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<ConfigEntry> ConfigEntries(std::string_view text) {
    std::vector<ConfigEntry> entries;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        ConfigEntry entry;
        entry.line = number;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            entry.malformed = true;
        } else {
            entry.name = Trimmed(line.substr(0, equals));
            entry.value = Trimmed(line.substr(equals + 1));
        }
        entries.push_back(entry);
    }
    return entries;
}

// Where line `line` (from 1) starts in the text; npos past the last.
static std::size_t LineStart(std::string_view text, int line) {
    std::size_t start = 0;
    for (int i = 1; i < line; ++i) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            return std::string_view::npos;
        }
        start = end + 1;
    }
    return start;
}

std::string WithValue(std::string_view text, int line, std::string_view name,
                      std::string_view value) {
    const std::size_t start = line > 0 ? LineStart(text, line) : std::string_view::npos;
    const std::size_t equals = start == std::string_view::npos ? start : text.find('=', start);
    std::string out;
    if (equals == std::string_view::npos || equals > text.find('\n', start)) {
        out.assign(text);
        if (!out.empty() && out.back() != '\n') {
            out += '\n';
        }
        return out.append(name).append(" = ").append(value).append("\n");
    }
    const std::size_t valueStart = text.find_first_not_of(" \t", equals + 1);
    const std::size_t lineEnd = text.find('\n', start);
    std::size_t valueEnd = lineEnd == std::string_view::npos ? text.size() : lineEnd;
    if (valueEnd > start && text[valueEnd - 1] == '\r') {
        --valueEnd;
    }
    const bool empty = valueStart == std::string_view::npos || valueStart >= valueEnd;
    const std::size_t keep = empty ? valueEnd : valueStart;
    out.assign(text.substr(0, keep));
    if (empty && keep == equals + 1) {
        out += ' ';
    }
    return out.append(value).append(text.substr(valueEnd));
}

static std::string Why(const char* what, const char* path) {
    return std::string(what) + " '" + path + "': " + std::strerror(errno);
}

FileRead ReadConfigFile(const char* path, std::string* text, std::string* error) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return FileRead::kMissing;
        }
        *error = Why("cannot read the settings file", path);
        return FileRead::kFailed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxConfigBytes) {
        const bool large = info.st_size > kMaxConfigBytes;
        *error = std::string("the settings file '") + path + "' is " +
                 (large ? "larger than 1 MiB" : "not a plain file");
        close(fd);
        return FileRead::kFailed;
    }
    text->assign(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    ssize_t got = 1;
    while (done < text->size() && got > 0) {
        got = read(fd, text->data() + done, text->size() - done);
        done += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    close(fd);
    if (got < 0) {
        *error = Why("cannot read the settings file", path);
        return FileRead::kFailed;
    }
    text->resize(done);
    return FileRead::kRead;
}
