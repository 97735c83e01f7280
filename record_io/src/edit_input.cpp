#include "fixrec/edit_input.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace fixrec {

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr long kExponentCap = 1000000;  // far beyond any double; keeps the arithmetic safe

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

InputStatus read_real(std::string_view field, int d, float& out) {
    // Mantissa digits (point kept) are copied for the conversion; the exponent
    // is gathered separately so that the implied decimals can be folded in.
    char mantissa[128];
    std::string long_mantissa;  // only for fields wider than the stack buffer
    char* m = mantissa;
    if (field.size() + 32 > sizeof mantissa) {
        long_mantissa.resize(field.size() + 32);
        m = long_mantissa.data();
    }
    std::size_t mlen = 0;

    std::size_t i = 0;
    const std::size_t n = field.size();
    auto next = [&]() -> char {  // next non-blank character, or 0 at the end
        while (i < n && is_blank(field[i])) ++i;
        return i < n ? field[i] : '\0';
    };
    for (char c : field)
        if (c == kCtrlZ) return InputStatus::EndOfFile;

    bool negative = false;
    char c = next();
    if (c == '\0') {
        out = 0.0f;
        return InputStatus::Ok;
    }
    if (c == '+' || c == '-') {
        negative = c == '-';
        ++i;
        if (next() == '\0') {  // a sign alone reads as zero
            out = 0.0f;
            return InputStatus::Ok;
        }
    }
    bool point = false;
    int digits = 0;
    int digits_before_point = 0;
    int first_nonzero = -1;  // index among the mantissa digits
    while (true) {
        c = next();
        if (is_digit(c)) {
            if (first_nonzero < 0 && c != '0') first_nonzero = digits;
            m[mlen++] = c;
            ++digits;
            if (!point) ++digits_before_point;
            ++i;
        } else if (c == '.') {
            if (point) return InputStatus::BadReal;
            point = true;
            m[mlen++] = '.';
            ++i;
        } else {
            break;
        }
    }
    if (digits == 0) return InputStatus::BadReal;

    long exponent = 0;
    if (c != '\0') {
        if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
            ++i;
            c = next();
        }
        bool exp_negative = false;
        if (c == '+' || c == '-') {
            exp_negative = c == '-';
            ++i;
            c = next();
        }
        if (!is_digit(c)) return InputStatus::BadReal;
        while (is_digit(c)) {
            if (exponent < kExponentCap) exponent = exponent * 10 + (c - '0');
            ++i;
            c = next();
        }
        if (c != '\0') return InputStatus::BadReal;
        if (exp_negative) exponent = -exponent;
    }
    if (!point) exponent -= d;

    if (first_nonzero < 0) {
        out = negative ? -0.0f : 0.0f;
        return InputStatus::Ok;
    }

    // "<mantissa>e<exponent>" in the same buffer, then one exact conversion.
    m[mlen++] = 'e';
    const auto tres = std::to_chars(m + mlen, m + mlen + 24, exponent);
    const char* const text_end = tres.ptr;

    double value = 0.0;
    const auto res = std::from_chars(m, text_end, value);
    if (res.ec == std::errc::result_out_of_range) {
        // Order of magnitude of the first significant digit decides which way.
        const long order = static_cast<long>(digits_before_point - first_nonzero) + exponent;
        if (order > 0) return InputStatus::RealOverflow;
        value = 0.0;
    } else if (res.ec != std::errc{} || res.ptr != text_end) {
        return InputStatus::BadReal;
    }
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) return InputStatus::RealOverflow;
    const auto single = static_cast<float>(value);
    out = negative ? -single : single;
    return InputStatus::Ok;
}

InputStatus read_integer(std::string_view field, std::int32_t& out) {
    bool negative = false;
    bool sign_allowed = true;
    std::int64_t value = 0;
    for (char c : field) {
        if (is_blank(c)) continue;
        if (c == kCtrlZ) return InputStatus::EndOfFile;
        if ((c == '+' || c == '-') && sign_allowed) {
            negative = c == '-';
            sign_allowed = false;
            continue;
        }
        if (!is_digit(c)) return InputStatus::BadInteger;
        sign_allowed = false;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return InputStatus::IntegerOverflow;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return InputStatus::IntegerOverflow;
    out = static_cast<std::int32_t>(value);
    return InputStatus::Ok;
}

}  // namespace fixrec
