#include "file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

bool MakeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        std::fprintf(stderr, "flagrun-assetgen: cannot create folder %s: %s\n", path.c_str(),
                     error.message().c_str());
        return false;
    }
    return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "flagrun-assetgen: cannot open %s for writing: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    // A full disk may only show up when the buffered tail is flushed.
    const bool closed = std::fclose(file) == 0;
    if (written != bytes.size() || !closed) {
        std::fprintf(stderr, "flagrun-assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WriteFileText(const std::string& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}
