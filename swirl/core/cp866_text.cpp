#include "swirl/core/cp866_text.h"

#include <fixrec/cp866.h>
#include <fixrec/utf8.h>

#include <cstdio>

namespace swirl {

namespace {

std::string hex(unsigned value, int digits, const char* prefix) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%0*X", prefix, digits, value);
    return buf;
}

std::string fault_text(fixrec::utf8::Fault fault, unsigned char lead) {
    const std::string byte = hex(lead, 2, "0x");
    switch (fault) {
        case fixrec::utf8::Fault::LeadByte: return "invalid UTF-8 byte " + byte;
        case fixrec::utf8::Fault::Incomplete: return "incomplete UTF-8 sequence starting with byte " + byte;
        default: return "invalid UTF-8 sequence starting with byte " + byte;
    }
}

}  // namespace

std::string to_utf8(std::string_view cp866) {
    std::string out;
    out.reserve(cp866.size() * 2);
    fixrec::append_utf8(out, cp866);
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
        const fixrec::utf8::Decoded d = fixrec::utf8::decode(utf8, i);
        if (d.fault != fixrec::utf8::Fault::None) return fail(fault_text(d.fault, static_cast<unsigned char>(utf8[i])));
        const std::optional<char> byte = fixrec::cp866_byte(d.cp);
        if (!byte) return fail("character " + hex(static_cast<unsigned>(d.cp), 4, "U+") + " has no code page 866 byte");
        out += *byte;
        i += d.length;
        ++column;
    }
    if (column > 1) out += "\r\n";
    return result;
}

}  // namespace swirl
