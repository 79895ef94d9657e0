// Command-line parsing of the replay.
#include "options.h"

#include <charconv>
#include <string_view>

const char* const kUsage = "usage: flagrun-replay [--every N] [--screenshot FRAME:FILE.bmp]... "
                           "[--flip] [--wav FILE] SCRIPT (SCRIPT may be - for standard input)";

// A frame number or period: decimal digits only, 1 or more, 64-bit.
static bool ParsePositive(std::string_view text, std::int64_t* value) {
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, *value);
    return status == std::errc() && stop == end && *value > 0;
}

static bool ParseScreenshot(std::string_view text, Screenshot* shot) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon + 1 == text.size()) {
        return false;
    }
    shot->path = std::string(text.substr(colon + 1));
    return ParsePositive(text.substr(0, colon), &shot->frame);
}

// The replay walks the screenshots in frame order; equal frames keep the
// order they were given in.
static void InsertInFrameOrder(std::vector<Screenshot>* shots, const Screenshot& shot) {
    auto at = shots->end();
    while (at != shots->begin() && (at - 1)->frame > shot.frame) {
        --at;
    }
    shots->insert(at, shot);
}

static bool Fail(std::string* error, const std::string& message) {
    *error = message + " (" + kUsage + ")";
    return false;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    bool haveScript = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool takesValue = arg == "--every" || arg == "--screenshot" || arg == "--wav";
        if (takesValue && i + 1 == argc) {
            return Fail(error, std::string(arg) + " needs a value");
        }
        if (arg == "--help") {
            options->help = true;
        } else if (arg == "--flip") {
            options->flip = true;
        } else if (arg == "--wav") {
            options->wavPath = argv[++i];
        } else if (arg == "--every") {
            const std::string_view value = argv[++i];
            if (!ParsePositive(value, &options->every)) {
                return Fail(error,
                            "--every needs a positive integer, got '" + std::string(value) + "'");
            }
        } else if (arg == "--screenshot") {
            const std::string_view value = argv[++i];
            Screenshot shot;
            if (!ParseScreenshot(value, &shot)) {
                return Fail(error, "--screenshot needs FRAME:FILE with a positive FRAME, got '" +
                                       std::string(value) + "'");
            }
            InsertInFrameOrder(&options->screenshots, shot);
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Fail(error, "unknown option '" + std::string(arg) + "'");
        } else if (haveScript) {
            return Fail(error, "more than one SCRIPT: '" + options->scriptPath + "' and '" +
                                   std::string(arg) + "'");
        } else {
            options->scriptPath = std::string(arg);
            haveScript = true;
        }
    }
    if (!haveScript && !options->help) {
        return Fail(error, "no SCRIPT given");
    }
    return true;
}
