// An input of a fuzz harness is a few parts, each but the last ended by
// kSeparator; make_seeds.py joins the seeds the same way.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

inline constexpr std::string_view kSeparator = "\n@@\n";

inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// `text` cut at its first `count` - 1 separators; the last part takes the
// rest, and parts past the end of the text are empty.
inline std::vector<std::string> Split(std::string_view text, std::size_t count,
                                      std::string_view separator = kSeparator) {
    std::vector<std::string> parts(count);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::size_t end = text.find(separator);
        parts[i] = text.substr(0, end);
        text.remove_prefix(end == text.npos ? text.size() : end + separator.size());
    }
    parts.back() = text;
    return parts;
}
