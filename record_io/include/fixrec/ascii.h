// ASCII letters without regard to case: the letters of a format ("e16.5"),
// a locale's codeset ("utf8"), and the names a person types (programs,
// inputs, results, columns).  Only 'a'-'z' and 'A'-'Z' fold; every other byte
// (digits, signs, the Cyrillic letters of code page 866 or of UTF-8)
// compares as it is.
#pragma once

#include <cstddef>
#include <string_view>

namespace fixrec {

constexpr char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}

constexpr bool starts_ignoring_case(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equal_ignoring_case(s.substr(0, prefix.size()), prefix);
}

}  // namespace fixrec
