// The layouts of the three fuzz harnesses' inputs: packed by the seed maker,
// unpacked by the harnesses. Every byte string unpacks to something; fields
// past the end of an input read as zero.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The unread rest of an input.
struct InputCursor {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

inline std::string TakeBytes(InputCursor* in, std::size_t count) {
    count = std::min(count, in->size);
    std::string bytes(reinterpret_cast<const char*>(in->data), count);
    in->data += count;
    in->size -= count;
    return bytes;
}

// A little-endian unsigned field of `width` bytes.
inline std::uint32_t TakeField(InputCursor* in, int width) {
    const std::string bytes = TakeBytes(in, static_cast<std::size_t>(width));
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
    }
    return value;
}

inline void PutField(std::string* out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out->push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    }
}

// The font loader's input: the three files of a font directory, which of
// them are left out (bit 0 font.ini, bit 1 font.raw, bit 2 font.dat), and
// the four tint factors of one more load, each byte / 200 so that factors
// above 1 come up too. Header: ini length (2 bytes), raw length (4),
// missing (1), tint (4); then the ini, the raw and, to the end, the dat.
struct FontInput {
    std::string ini;
    std::string raw;
    std::string dat;
    std::uint8_t missing = 0;
    std::uint8_t tint[4] = {200, 200, 0, 200};
};

inline std::string PackFontInput(const FontInput& font) {
    std::string out;
    PutField(&out, static_cast<std::uint32_t>(font.ini.size()), 2);
    PutField(&out, static_cast<std::uint32_t>(font.raw.size()), 4);
    PutField(&out, font.missing, 1);
    for (std::uint8_t factor : font.tint) {
        PutField(&out, factor, 1);
    }
    return out + font.ini + font.raw + font.dat;
}

inline FontInput UnpackFontInput(InputCursor in) {
    FontInput font;
    const std::uint32_t iniSize = TakeField(&in, 2);
    const std::uint32_t rawSize = TakeField(&in, 4);
    font.missing = static_cast<std::uint8_t>(TakeField(&in, 1));
    for (std::uint8_t& factor : font.tint) {
        factor = static_cast<std::uint8_t>(TakeField(&in, 1));
    }
    font.ini = TakeBytes(&in, iniSize);
    font.raw = TakeBytes(&in, rawSize);
    font.dat = TakeBytes(&in, in.size);
    return font;
}

// Text drawing's input: a destination of any size and depth, a position, a
// glyph sheet side, the 256 advance widths and the text itself. Header:
// width (2 bytes), height (2), x (4), y (4), side (2), depth (1), widths
// (256); then the text to the end.
struct TextInput {
    std::uint32_t width = 640;
    std::uint32_t height = 530;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t side = 256;
    std::uint8_t depth = 32;
    std::string widths = std::string(256, '\0');
    std::string text;
};

inline std::string PackTextInput(const TextInput& text) {
    std::string out;
    PutField(&out, text.width, 2);
    PutField(&out, text.height, 2);
    PutField(&out, static_cast<std::uint32_t>(text.x), 4);
    PutField(&out, static_cast<std::uint32_t>(text.y), 4);
    PutField(&out, text.side, 2);
    PutField(&out, text.depth, 1);
    std::string widths = text.widths;
    widths.resize(256, '\0');
    return out + widths + text.text;
}

inline TextInput UnpackTextInput(InputCursor in) {
    TextInput text;
    text.width = TakeField(&in, 2);
    text.height = TakeField(&in, 2);
    text.x = static_cast<std::int32_t>(TakeField(&in, 4));
    text.y = static_cast<std::int32_t>(TakeField(&in, 4));
    text.side = TakeField(&in, 2);
    text.depth = static_cast<std::uint8_t>(TakeField(&in, 1));
    text.widths = TakeBytes(&in, 256);
    text.widths.resize(256, '\0');
    text.text = TakeBytes(&in, in.size);
    return text;
}

// The replay's input: its command-line arguments and its script. Header:
// the argument count (1 byte, at most 15 used), then each argument ended
// by a NUL; the script runs to the end.
struct ReplayInput {
    std::vector<std::string> args;
    std::string script;
};

inline std::string PackReplayInput(const ReplayInput& replay) {
    std::string out;
    PutField(&out, static_cast<std::uint32_t>(replay.args.size()), 1);
    for (const std::string& arg : replay.args) {
        out += arg;
        out.push_back('\0');
    }
    return out + replay.script;
}

inline ReplayInput UnpackReplayInput(InputCursor in) {
    ReplayInput replay;
    const std::uint32_t count = TakeField(&in, 1) % 16;
    for (std::uint32_t i = 0; i < count && in.size > 0; ++i) {
        const auto* end = std::find(in.data, in.data + in.size, std::uint8_t{0});
        const auto length = static_cast<std::size_t>(end - in.data);
        replay.args.push_back(TakeBytes(&in, length));
        TakeBytes(&in, 1);
    }
    replay.script = TakeBytes(&in, in.size);
    return replay;
}
