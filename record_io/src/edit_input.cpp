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

// A real field taken apart by the grammar, nothing converted yet:
//   [sign] digits-with-at-most-one-point [exponent]
// The value is mantissa digits x 10^scale.
struct RealText {
    bool negative = false;
    bool empty = false;             // no mantissa at all (a blank field, a sign alone): reads as 0
    std::string_view mantissa;      // the digits and the point as written
    int significant = 0;            // digits from the first nonzero one; 0 when all are zero
    std::uint64_t significand = 0;  // those digits as an integer; exact while significant <= kExactDigitsMax
    long exponent = 0;              // the written exponent, less d when there is no point
    long scale = 0;                 // exponent less the digits after the point
};

// Digits from p on: adds them to `significand`, returns where they end.
const char* scan_digits(const char* p, const char* e, std::uint64_t& significand) {
    for (; p != e && is_digit(*p); ++p) significand = significand * 10 + static_cast<unsigned>(*p - '0');
    return p;
}

// The grammar pass over a field whose blanks are gone (`s`..`e` holds no
// blank): Ok with `t` filled, or BadReal.
InputStatus scan_real(const char* s, const char* const e, int d, RealText& t) {
    const char* p = s;
    if (p != e && (*p == '+' || *p == '-')) t.negative = *p++ == '-';
    if (p == e) {  // nothing, or a sign alone
        t.empty = true;
        return InputStatus::Ok;
    }
    // Mantissa.  Zeros before the first nonzero digit are not gathered, so
    // that the significand holds the significant digits only.
    const char* const mantissa = p;
    while (p != e && *p == '0') ++p;
    const char* first_nonzero = p != e && is_digit(*p) ? p : nullptr;
    p = scan_digits(p, e, t.significand);
    const auto integer_digits = static_cast<int>(p - mantissa);
    int fraction_digits = 0;
    const bool point = p != e && *p == '.';
    if (point) {
        const char* const after_point = ++p;
        if (first_nonzero == nullptr) {
            while (p != e && *p == '0') ++p;
            if (p != e && is_digit(*p)) first_nonzero = p;
        }
        p = scan_digits(p, e, t.significand);
        fraction_digits = static_cast<int>(p - after_point);
        if (p != e && *p == '.') return InputStatus::BadReal;  // a second point
    }
    if (integer_digits + fraction_digits == 0) return InputStatus::BadReal;
    t.mantissa = std::string_view(mantissa, static_cast<std::size_t>(p - mantissa));
    if (first_nonzero != nullptr) {
        // The digits from the first nonzero one to the end, the point not counted.
        const bool point_among_them = point && first_nonzero - mantissa < integer_digits;
        t.significant = static_cast<int>(p - first_nonzero) - (point_among_them ? 1 : 0);
    }
    // Exponent: E/e/D/d [sign] digits, or a sign directly followed by digits.
    if (p != e) {
        if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd') ++p;
        bool negative_exponent = false;
        if (p != e && (*p == '+' || *p == '-')) negative_exponent = *p++ == '-';
        if (p == e || !is_digit(*p)) return InputStatus::BadReal;
        for (; p != e && is_digit(*p); ++p)
            if (t.exponent < kExponentCap) t.exponent = t.exponent * 10 + (*p - '0');
        if (p != e) return InputStatus::BadReal;  // anything after the exponent
        if (negative_exponent) t.exponent = -t.exponent;
    }
    if (!point) t.exponent -= d;  // the implied decimals
    t.scale = t.exponent - fraction_digits;
    return InputStatus::Ok;
}

// The decimal value of `t` (not zero) to the nearest double: Ok, or
// RealOverflow beyond the range of double.
InputStatus nearest_double(const RealText& t, double& value) {
    if (t.significant <= kExactDigitsMax && t.scale >= -kExactPow10Max && t.scale <= kExactPow10Max) {
        // Both operands are exact, so the one rounding of the product or
        // quotient is the correctly rounded double that from_chars would also
        // give; a typical report field takes this way.
        const auto digits = static_cast<double>(t.significand);
        value = t.scale >= 0 ? digits * kExactPow10[t.scale] : digits / kExactPow10[-t.scale];
        return InputStatus::Ok;
    }
    // "<mantissa>e<exponent>", correctly rounded by from_chars.
    char stack_text[96];
    std::string long_text;  // only for mantissas longer than the stack buffer
    char* m = stack_text;
    if (t.mantissa.size() + 32 > sizeof stack_text) {
        long_text.resize(t.mantissa.size() + 32);
        m = long_text.data();
    }
    std::memcpy(m, t.mantissa.data(), t.mantissa.size());
    char* text_end = m + t.mantissa.size();
    *text_end++ = 'e';
    text_end = std::to_chars(text_end, text_end + 24, t.exponent).ptr;
    const auto res = std::from_chars(m, text_end, value);
    if (res.ec == std::errc::result_out_of_range) {
        // The order of magnitude of the first significant digit says which way.
        value = 0.0;
        return t.scale + t.significant > 0 ? InputStatus::RealOverflow : InputStatus::Ok;
    }
    return res.ec == std::errc{} && res.ptr == text_end ? InputStatus::Ok : InputStatus::BadReal;
}

// The real of a field whose blanks are gone: the grammar pass, then one
// conversion.
//
// The rule of the conversion: a field is read to the nearest double, and
// that double is then rounded to single precision.  (Two roundings, as the
// programs have always read their data files; a decimal exactly between two
// floats can land otherwise than a direct conversion to float would put it,
// and every value a report prints reads back as printed either way.)  A
// magnitude above the largest single-precision value fails; one too small
// for single precision becomes zero or the nearest subnormal.
InputStatus parse_real(const char* s, const char* const e, int d, float& out) {
    RealText t;
    if (scan_real(s, e, d, t) != InputStatus::Ok) return InputStatus::BadReal;
    if (t.empty || t.significant == 0) {
        out = !t.empty && t.negative ? -0.0f : 0.0f;
        return InputStatus::Ok;
    }
    double value = 0.0;
    const InputStatus status = nearest_double(t, value);
    if (status != InputStatus::Ok) return status;
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) return InputStatus::RealOverflow;
    const auto single = static_cast<float>(value);
    out = t.negative ? -single : single;
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
