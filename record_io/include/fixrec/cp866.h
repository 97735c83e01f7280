// Code page 866 texts written as readable UTF-8 in the sources.
//
// Every text of the suite (labels, formats, console messages) is stored, written
// and read as code page 866 bytes: one byte per character, so column arithmetic
// works on bytes.  The sources stay UTF-8; the user-defined literal `_cp` converts
// a literal at compile time and yields a std::string_view over static storage:
//
//     constexpr std::string_view msg = "***ОШИБКА***"_cp;
//
// A character without a code page 866 byte is a compile-time error.
//
// This is the one table of the code page: cp866_char() and cp866_byte() give
// either direction for one character, and append_utf8() the run-time
// direction for a text, with which the console shows the texts on a terminal
// that expects UTF-8.  The UTF-8 side is fixrec/utf8.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fixrec/utf8.h"

namespace fixrec {
namespace cp866_detail {

// Upper half of code page 866 (bytes 0x80..0xFF) as Unicode code points.
inline constexpr std::array<char32_t, 128> kUpperHalf = {
    // 0x80..0x9F: А..Я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    // 0xA0..0xAF: а..п
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    // 0xB0..0xDF: shades and box drawing
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    // 0xE0..0xEF: р..я
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    // 0xF0..0xFF
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// The UTF-8 form of each byte of the upper half, computed from kUpperHalf
// (all below U+10000, so at most 3 bytes; encode() asks room for 4).
struct Utf8Char {
    char bytes[4]{};
    std::uint8_t size = 0;
};

consteval std::array<Utf8Char, 128> make_upper_half_utf8() {
    std::array<Utf8Char, 128> table{};
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i)
        table[i].size = static_cast<std::uint8_t>(utf8::encode(kUpperHalf[i], table[i].bytes));
    return table;
}

inline constexpr std::array<Utf8Char, 128> kUpperHalfUtf8 = make_upper_half_utf8();

}  // namespace cp866_detail

// The character that a byte of code page 866 stands for: the lower half is
// ASCII (control characters included), the upper half Cyrillic letters, box
// drawing and a few signs.
constexpr char32_t cp866_char(unsigned char byte) {
    return byte < 0x80 ? char32_t{byte} : cp866_detail::kUpperHalf[byte - 0x80u];
}

// The byte of code page 866 that stands for `cp`; none for a character the
// code page does not have.
constexpr std::optional<char> cp866_byte(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    for (std::size_t i = 0; i < cp866_detail::kUpperHalf.size(); ++i)
        if (cp866_detail::kUpperHalf[i] == cp) return static_cast<char>(0x80 + i);
    return std::nullopt;
}

namespace cp866_detail {

// A UTF-8 literal captured as a template argument.
template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    consteval Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
};

template <std::size_t N>
struct Encoded {
    char bytes[N]{};
    std::size_t size = 0;
};

template <Utf8Literal S>
consteval auto convert() {
    constexpr std::size_t n = sizeof(S.bytes);
    Encoded<n> out{};
    const std::string_view text(S.bytes, n - 1);  // the last byte is the terminating NUL
    for (std::size_t i = 0; i < text.size();) {
        const utf8::Decoded d = utf8::decode(text, i);
        if (d.fault != utf8::Fault::None) throw "invalid UTF-8 in a _cp literal";
        const std::optional<char> byte = cp866_byte(d.cp);
        if (!byte) throw "character has no code page 866 byte";
        out.bytes[out.size++] = *byte;
        i += d.length;
    }
    return out;
}

template <Utf8Literal S>
inline constexpr auto kEncoded = convert<S>();

}  // namespace cp866_detail

// Appends code page 866 text to `out` as UTF-8: the lower half (ASCII, the
// control characters CR, LF and form feed included) as it is, every byte of
// the upper half as the character it stands for.
constexpr void append_utf8(std::string& out, std::string_view cp866) {
    for (const char c : cp866) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            const cp866_detail::Utf8Char& u = cp866_detail::kUpperHalfUtf8[b - 0x80];
            out.append(u.bytes, u.size);
        }
    }
}

namespace literals {
// "ТЕКСТ"_cp: the code page 866 bytes of a UTF-8 literal, computed at compile time.
template <cp866_detail::Utf8Literal S>
constexpr std::string_view operator""_cp() {
    return {cp866_detail::kEncoded<S>.bytes, cp866_detail::kEncoded<S>.size};
}
}  // namespace literals

}  // namespace fixrec
