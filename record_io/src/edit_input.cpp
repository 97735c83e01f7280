#include "fixrec/edit_input.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace fixrec {

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr long kExponentCap = 1000000;  // far beyond any double; keeps the arithmetic safe

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Powers of ten that a double holds exactly.
constexpr double kExactPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kExactPow10Max = 22;
constexpr int kExactDigitsMax = 15;  // any 15-digit integer is exact in a double

}  // namespace

namespace {

// The real of a field whose blanks are gone: `s`..`e` holds no blank.
InputStatus parse_real(const char* s, const char* const e, int d, float& out) {
    if (s == e) {
        out = 0.0f;
        return InputStatus::Ok;
    }
    const char* p = s;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        if (++p == e) {  // a sign alone reads as zero
            out = 0.0f;
            return InputStatus::Ok;
        }
    }

    // Mantissa: digits with at most one point.  The significant digits (from
    // the first nonzero one) are gathered as an integer; it is only used when
    // there are at most kExactDigitsMax of them, so its wrapping beyond that
    // does not matter.
    const char* const mantissa = p;
    std::uint64_t significand = 0;
    int first_nonzero = -1;  // index among the mantissa digits
    const char* digits_start = p;
    while (p != e && *p == '0') ++p;
    const char* sig_start = p;
    while (p != e && is_digit(*p)) significand = significand * 10 + static_cast<unsigned>(*p++ - '0');
    const auto digits_before_point = static_cast<int>(p - digits_start);
    if (p != sig_start) first_nonzero = static_cast<int>(sig_start - digits_start);
    int digits = digits_before_point;
    bool point = false;
    if (p != e && *p == '.') {
        point = true;
        digits_start = ++p;
        if (first_nonzero < 0) {
            while (p != e && *p == '0') ++p;
            if (p != e && is_digit(*p)) first_nonzero = digits_before_point + static_cast<int>(p - digits_start);
        }
        while (p != e && is_digit(*p)) significand = significand * 10 + static_cast<unsigned>(*p++ - '0');
        digits += static_cast<int>(p - digits_start);
        if (p != e && *p == '.') return InputStatus::BadReal;
    }
    if (digits == 0) return InputStatus::BadReal;
    const int significant = first_nonzero < 0 ? 0 : digits - first_nonzero;
    const auto mantissa_len = static_cast<std::size_t>(p - mantissa);

    // Exponent: E/e/D/d [sign] digits, or a sign and digits.
    long exponent = 0;
    if (p != e) {
        if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd') ++p;
        bool exp_negative = false;
        if (p != e && (*p == '+' || *p == '-')) {
            exp_negative = *p == '-';
            ++p;
        }
        if (p == e || !is_digit(*p)) return InputStatus::BadReal;
        for (; p != e && is_digit(*p); ++p)
            if (exponent < kExponentCap) exponent = exponent * 10 + (*p - '0');
        if (p != e) return InputStatus::BadReal;
        if (exp_negative) exponent = -exponent;
    }
    if (!point) exponent -= d;

    if (first_nonzero < 0) {
        out = negative ? -0.0f : 0.0f;
        return InputStatus::Ok;
    }

    double value = 0.0;
    const long scale = exponent - (digits - digits_before_point);  // value = digits x 10^scale
    if (significant <= kExactDigitsMax && scale >= -kExactPow10Max && scale <= kExactPow10Max) {
        // Both operands are exact, so the one rounding of the product or
        // quotient is the correctly rounded double that the conversion below
        // would also give; a typical report field takes this way.
        const auto digits_value = static_cast<double>(significand);
        value = scale >= 0 ? digits_value * kExactPow10[scale] : digits_value / kExactPow10[-scale];
    } else {
        // "<mantissa>e<exponent>", then one exact conversion.
        char stack_text[96];
        std::string long_text;  // only for mantissas longer than the stack buffer
        char* m = stack_text;
        if (mantissa_len + 32 > sizeof stack_text) {
            long_text.resize(mantissa_len + 32);
            m = long_text.data();
        }
        std::memcpy(m, mantissa, mantissa_len);
        std::size_t mlen = mantissa_len;
        m[mlen++] = 'e';
        const auto tres = std::to_chars(m + mlen, m + mlen + 24, exponent);
        const char* const text_end = tres.ptr;

        const auto res = std::from_chars(m, text_end, value);
        if (res.ec == std::errc::result_out_of_range) {
            // Order of magnitude of the first significant digit decides which way.
            const long order = static_cast<long>(digits_before_point - first_nonzero) + exponent;
            if (order > 0) return InputStatus::RealOverflow;
            value = 0.0;
        } else if (res.ec != std::errc{} || res.ptr != text_end) {
            return InputStatus::BadReal;
        }
    }
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) return InputStatus::RealOverflow;
    const auto single = static_cast<float>(value);
    out = negative ? -single : single;
    return InputStatus::Ok;
}

}  // namespace

InputStatus read_real(std::string_view field, int d, float& out) {
    // A typical field is right-justified: blanks, then text without any.
    // Such text is parsed where it stands.  A blank or any other character
    // that is not part of a number makes that parse fail; the field is then
    // looked at again without its blanks.
    const char* p = field.data();
    const char* const end = p + field.size();
    while (p != end && is_blank(*p)) ++p;
    const InputStatus direct = parse_real(p, end, d, out);
    if (direct != InputStatus::BadReal) return direct;

    if (!field.empty() && std::memchr(field.data(), kCtrlZ, field.size()) != nullptr)
        return InputStatus::EndOfFile;
    char stack_text[128];
    std::string long_text;  // only for fields wider than the stack buffer
    char* t = stack_text;
    if (field.size() > sizeof stack_text) {
        long_text.resize(field.size());
        t = long_text.data();
    }
    const auto rest = static_cast<std::size_t>(end - p);
    std::size_t len = 0;
    for (; p != end; ++p) {
        if (is_blank(*p)) continue;
        t[len++] = *p;
    }
    if (len == rest) return direct;  // nothing was taken out: the same text fails again
    return parse_real(t, t + len, d, out);
}

InputStatus read_integer(std::string_view field, std::int32_t& out) {
    bool negative = false;
    bool sign_allowed = true;
    bool leading = true;  // only blanks and zeros so far
    std::int64_t value = 0;
    for (char c : field) {
        if (is_blank(c)) continue;
        // Zeros in front of everything else are dropped, a sign after them
        // included: "0-5" reads as -5.
        if (leading && c == '0') continue;
        leading = false;
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
