#include "swirl/core/cp866_text.h"

#include <fixrec/cp866.h>

#include <cstdio>

namespace swirl {

namespace {

using fixrec::cp866_detail::kUpperHalf;

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {  // the table holds nothing beyond U+FFFF
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<char> encode(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i)
        if (kUpperHalf[i] == cp) return static_cast<char>(0x80 + i);
    return std::nullopt;
}

std::string hex(unsigned value, int digits, const char* prefix) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%0*X", prefix, digits, value);
    return buf;
}

// Decodes one UTF-8 character at t[i]: its code point and length, or an
// error message.
struct Decoded {
    char32_t cp = 0;
    std::size_t length = 0;
    std::string error;
};

Decoded decode(std::string_view t, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned b = byte(i);
    if (b < 0x80) return {b, 1, {}};
    std::size_t n = 0;
    char32_t cp = 0, min = 0;
    if (b >= 0xC2 && b <= 0xDF) { n = 2; cp = b & 0x1F; min = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; cp = b & 0x0F; min = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; cp = b & 0x07; min = 0x10000; }
    else return {0, 0, "invalid UTF-8 byte " + hex(b, 2, "0x")};
    for (std::size_t k = 1; k < n; ++k) {
        if (i + k >= t.size() || (byte(i + k) & 0xC0) != 0x80)
            return {0, 0, "incomplete UTF-8 sequence starting with byte " + hex(b, 2, "0x")};
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {0, 0, "invalid UTF-8 sequence starting with byte " + hex(b, 2, "0x")};
    return {cp, n, {}};
}

}  // namespace

void append_as_utf8(std::string& out, std::string_view cp866) {
    for (const char c : cp866) {
        const auto b = static_cast<unsigned char>(c);
        append_utf8(out, b < 0x80 ? char32_t{b} : kUpperHalf[b - 0x80]);
    }
}

std::string to_utf8(std::string_view cp866) {
    std::string out;
    out.reserve(cp866.size() * 2);
    append_as_utf8(out, cp866);
    return out;
}

Cp866Text to_cp866(std::string_view utf8) {
    Cp866Text result;
    std::string& out = result.bytes;
    out.reserve(utf8.size() + utf8.size() / 16 + 2);
    std::size_t i = utf8.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    std::size_t line = 1, column = 1;
    const auto fail = [&](std::string what) {
        result.bytes.clear();
        result.error = TextError{line, column, std::move(what)};
        return result;
    };
    while (i < utf8.size()) {
        if (utf8[i] == '\n' || utf8[i] == '\r') {
            if (utf8[i] == '\r' && (i + 1 == utf8.size() || utf8[i + 1] != '\n'))
                return fail("a carriage return not followed by a line feed");
            i += utf8[i] == '\r' ? 2 : 1;
            out += "\r\n";
            ++line;
            column = 1;
            continue;
        }
        const Decoded d = decode(utf8, i);
        if (d.length == 0) return fail(d.error);
        const auto byte = encode(d.cp);
        if (!byte) return fail("character " + hex(static_cast<unsigned>(d.cp), 4, "U+") + " has no code page 866 byte");
        out += *byte;
        i += d.length;
        ++column;
    }
    if (column > 1) out += "\r\n";
    return result;
}

}  // namespace swirl
