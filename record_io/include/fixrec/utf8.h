// UTF-8: the encoding of the sources, of terminals and editors, and of the
// texts the swirl command reads and writes.  The one decoder and the one
// encoder of the suite; constexpr, so that the _cp literals use them at
// compile time.
//
// decode() is strict: it takes only the shortest form of a code point up to
// U+10FFFF that is not a surrogate.  A lead byte that cannot start a
// character, a sequence cut short, and an overlong form, a surrogate or a
// code point beyond U+10FFFF are three kinds of fault; every reader of UTF-8
// decides what to do with them (refuse the text, show U+FFFD, ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fixrec::utf8 {

enum class Fault : std::uint8_t {
    None,
    LeadByte,    // a byte that starts no character: a continuation byte, 0xC0, 0xC1, 0xF5-0xFF
    Incomplete,  // a lead byte without all its continuation bytes (the text ends, or another byte stands there)
    Invalid,     // an overlong form, a surrogate, or beyond U+10FFFF
};

struct Decoded {
    char32_t cp = 0;
    std::size_t length = 0;  // bytes of the character; 0 with a fault
    Fault fault = Fault::None;
};

// The character that starts at text[i] (i < text.size()).
constexpr Decoded decode(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned b = byte(i);
    if (b < 0x80) return {b, 1, Fault::None};
    std::size_t n = 0;
    char32_t cp = 0, shortest = 0;
    if (b >= 0xC2 && b <= 0xDF) { n = 2; cp = b & 0x1Fu; shortest = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; cp = b & 0x0Fu; shortest = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; cp = b & 0x07u; shortest = 0x10000; }
    else return {0, 0, Fault::LeadByte};
    for (std::size_t k = 1; k < n; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0u) != 0x80u) return {0, 0, Fault::Incomplete};
        cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    if (cp < shortest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0, Fault::Invalid};
    return {cp, n, Fault::None};
}

// Writes the UTF-8 form of `cp` (at most U+10FFFF) at `out`, which has room
// for 4 bytes; returns its length.
constexpr std::size_t encode(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    std::size_t n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (std::size_t k = n - 1; k > 0; --k, cp >>= 6) out[k] = static_cast<char>(0x80u | (cp & 0x3Fu));
    out[0] = static_cast<char>(kLead[n] | cp);
    return n;
}

constexpr void append(std::string& out, char32_t cp) {
    char bytes[4]{};
    out.append(bytes, encode(cp, bytes));
}

// The characters of a text as a reader that shows U+FFFD for each byte it
// cannot decode sees them: a fault counts one and costs one byte.
constexpr std::size_t count_shown(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++n) {
        const Decoded d = decode(text, i);
        i += d.fault == Fault::None ? d.length : 1;
    }
    return n;
}

}  // namespace fixrec::utf8
