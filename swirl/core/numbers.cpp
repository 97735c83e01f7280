#include "swirl/core/numbers.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <system_error>

namespace swirl {

namespace {

// Whether `text` gives `value` back when read as a double and then rounded
// to float, the way JSON and CSV readers (and this suite) read numbers.
bool reads_back_via_double(std::string_view text, float value) {
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return std::bit_cast<std::uint32_t>(static_cast<float>(d)) == std::bit_cast<std::uint32_t>(value);
}

}  // namespace

char* write_shortest(char* first, float value) {
    if (!std::isfinite(value)) return first;
    char* const last = first + kShortestSize;
    const auto r = std::to_chars(first, last, value);
    if (reads_back_via_double({first, r.ptr}, value)) return r.ptr;
    // Rounded twice, first to double, the shortest text can land on the
    // neighbouring float: more digits, at most 17, always read back exactly.
    for (int digits = 2;; ++digits) {
        const auto p = std::to_chars(first, last, value, std::chars_format::general, digits);
        float direct = 0;
        std::from_chars(first, p.ptr, direct);
        if (direct == value && reads_back_via_double({first, p.ptr}, value)) return p.ptr;
    }
}

std::string shortest(float value) {
    char buf[kShortestSize];
    return {buf, write_shortest(buf, value)};
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Index just past a run of digits starting at i.
std::size_t skip_digits(std::string_view t, std::size_t i) {
    while (i < t.size() && is_digit(t[i])) ++i;
    return i;
}

}  // namespace

std::optional<double> parse_plain_decimal(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t mantissa = i;
    i = skip_digits(text, i);
    std::size_t digits = i - mantissa;
    if (i < text.size() && text[i] == '.') {
        const std::size_t frac = i + 1;
        i = skip_digits(text, frac);
        digits += i - frac;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t exponent = i;
        i = skip_digits(text, i);
        if (i == exponent) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;

    // from_chars takes no leading '+'; the grammar above is stricter than its
    // own, so whatever remains is read completely.
    const std::size_t start = text[0] == '+' ? 1 : 0;
    double value = 0;
    const auto r = std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (r.ec != std::errc{} || r.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace swirl
