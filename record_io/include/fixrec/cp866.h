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
// The same table gives the run-time direction, append_utf8(), with which the
// console shows the texts on a terminal that expects UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

consteval char encode(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i)
        if (kUpperHalf[i] == cp) return static_cast<char>(0x80 + i);
    throw "character has no code page 866 byte";
}

// The code point of the UTF-8 sequence that starts at s[i] (s holds n bytes);
// i moves past it.
constexpr char32_t decode_utf8(const char* s, std::size_t n, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    char32_t cp = 0;
    std::size_t len = 0;
    if (b < 0x80) { cp = b; len = 1; }
    else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; len = 2; }
    else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; len = 3; }
    else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; len = 4; }
    else throw "invalid UTF-8 lead byte";
    if (i + len > n) throw "truncated UTF-8 sequence";
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) throw "invalid UTF-8 continuation byte";
        cp = (cp << 6) | (c & 0x3F);
    }
    i += len;
    return cp;
}

// The UTF-8 form of each byte of the upper half (all below U+10000, so at
// most 3 bytes), computed from kUpperHalf.
struct Utf8Char {
    char bytes[3]{};
    std::uint8_t size = 0;
};

consteval std::array<Utf8Char, 128> make_upper_half_utf8() {
    std::array<Utf8Char, 128> table{};
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        const char32_t cp = kUpperHalf[i];
        Utf8Char& u = table[i];
        if (cp < 0x800) {
            u.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
            u.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
            u.size = 2;
        } else {
            u.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
            u.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            u.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
            u.size = 3;
        }
    }
    return table;
}

inline constexpr std::array<Utf8Char, 128> kUpperHalfUtf8 = make_upper_half_utf8();

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
    std::size_t i = 0;
    while (i + 1 < n)  // the last byte is the terminating NUL
        out.bytes[out.size++] = encode(decode_utf8(S.bytes, n - 1, i));
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
