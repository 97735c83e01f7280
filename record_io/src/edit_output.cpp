#include "fixrec/edit_output.h"

#include "decimal.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cstdint>
#include <charconv>
#include <cmath>
#include <cstring>

namespace fixrec {

namespace detail {

namespace {

char* put_exponent(char* p, int x, bool with_letter) {
    const int mag = x < 0 ? -x : x;
    if (mag > 99) {
        // Three exponent digits: the letter gives way to keep the field length.
        *p++ = x < 0 ? '-' : '+';
        *p++ = static_cast<char>('0' + mag / 100);
        *p++ = static_cast<char>('0' + mag / 10 % 10);
        *p++ = static_cast<char>('0' + mag % 10);
        return p;
    }
    if (with_letter) *p++ = 'E';
    *p++ = x < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + mag / 10);
    *p++ = static_cast<char>('0' + mag % 10);
    return p;
}

// The first 17 significant digits of a finite magnitude > 0 as std::to_chars
// writes them (correctly rounded, ties to even), as the integer Q with
// 10^16 <= Q < 10^17, and the exponent X of 0.D x 10^X: the general route.
struct Digits17 {
    std::uint64_t q;
    int x;
};

Digits17 significant_digits_general(double magnitude) {
    char buf[40];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 16);
    // buf: d.dddddddddddddddde[+-]xx[x]
    std::uint64_t q = static_cast<std::uint64_t>(buf[0] - '0');
    for (int k = 2; k < 18; ++k) q = q * 10 + static_cast<std::uint64_t>(buf[k] - '0');
    const char* p = buf + 20;  // after the exponent's sign: two digits, or three
    int e = (p[0] - '0') * 10 + (p[1] - '0');
    if (res.ptr - p == 3) e = e * 10 + (p[2] - '0');
    return {q, (buf[19] == '-' ? -e : e) + 1};
}

__extension__ typedef unsigned __int128 u128;

constexpr u128 power(unsigned base, int k) {
    u128 r = 1;
    while (k-- > 0) r *= base;
    return r;
}

template <unsigned Base, std::size_t N>
constexpr std::array<u128, N> power_table() {
    std::array<u128, N> t{};
    for (std::size_t k = 0; k < N; ++k) t[k] = power(Base, static_cast<int>(k));
    return t;
}

constexpr int kMaxPow5 = 44;  // 2^24 * 5^44 < 2^128
constexpr auto kPow10 = power_table<10, 39>();
constexpr auto kPow5 = power_table<5, kMaxPow5 + 1>();
constexpr std::uint64_t kLow17 = 10000000000000000ULL;   // 10^16
constexpr std::uint64_t kHigh17 = 100000000000000000ULL; // 10^17

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes v (< 10^8) as exactly eight digits.
void put_eight_digits(std::uint32_t v, char* out) {
    const std::uint32_t high = v / 10000u;
    const std::uint32_t low = v % 10000u;
    std::memcpy(out, kDigitPairs + 2 * (high / 100u), 2);
    std::memcpy(out + 2, kDigitPairs + 2 * (high % 100u), 2);
    std::memcpy(out + 4, kDigitPairs + 2 * (low / 100u), 2);
    std::memcpy(out + 6, kDigitPairs + 2 * (low % 100u), 2);
}

// The same 17 digits for a single-precision magnitude, computed exactly in
// 128-bit integers: the value m * 2^e is scaled by 10^s so that the quotient
// has 17 digits, and the remainder decides the rounding (ties to even, as the
// standard library rounds).  About ten times cheaper than the general route;
// magnitudes below about 1e-27 take the general route.
bool significant_digits_single(float magnitude, Digits17& out) {
    const auto bits = std::bit_cast<std::uint32_t>(magnitude);
    const auto biased = static_cast<int>(bits >> 23);
    std::uint32_t m = bits & 0x7FFFFFu;
    int e = -149;
    if (biased != 0) {
        m |= 0x800000u;
        e = biased - 150;
    }
    // Binary exponent of the leading bit, then a decimal estimate of X that
    // the loop below corrects by one where needed.
    const int log2 = e + 31 - std::countl_zero(m);
    int x = ((log2 * 1233) >> 12) + 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int s = 17 - x;  // the quotient is value * 10^s
        u128 q = 0;
        u128 num = 0;
        u128 den = 1;
        int den_shift = -1;  // den = 2^den_shift, or -1 for a power of ten
        bool exact_division = true;
        if (e >= 0) {
            const u128 v = static_cast<u128>(m) << e;
            if (s >= 0) {
                if (s > 38) return false;
                q = v * kPow10[static_cast<std::size_t>(s)];
            } else {
                if (-s > 38) return false;
                num = v;
                den = kPow10[static_cast<std::size_t>(-s)];
                exact_division = false;
            }
        } else {
            if (s < 0 || s > kMaxPow5) return false;
            // m * 10^s / 2^-e = m * 5^s * 2^(s+e)
            const u128 scaled = static_cast<u128>(m) * kPow5[static_cast<std::size_t>(s)];
            const int shift = s + e;
            if (shift >= 0) {
                if (shift > 60) return false;
                q = scaled << shift;
            } else {
                if (-shift > 120) return false;
                num = scaled;
                den_shift = -shift;
                den = static_cast<u128>(1) << den_shift;
                exact_division = false;
            }
        }
        u128 r = 0;
        if (den_shift >= 0) {
            q = num >> den_shift;
            r = num & (den - 1);
        } else if (!exact_division) {
            q = num / den;
            r = num - q * den;
        }
        if (q < kLow17) {
            --x;
            continue;
        }
        if (q >= kHigh17) {
            ++x;
            continue;
        }
        if (!exact_division) {
            const u128 twice = r << 1;
            if (twice > den || (twice == den && (q & 1) != 0)) ++q;
        }
        if (q == kHigh17) {
            q = kLow17;
            ++x;
        }
        out = {static_cast<std::uint64_t>(q), x};
        return true;
    }
    return false;
}

Digits17 significant_digits(double magnitude) {
    if (magnitude <= static_cast<double>(FLT_MAX)) {
        const auto single = static_cast<float>(magnitude);
        Digits17 d{};
        if (static_cast<double>(single) == magnitude && significant_digits_single(single, d)) return d;
    }
    return significant_digits_general(magnitude);
}

// The 17 digits as characters: the leading one, then two groups of eight.
void put_digits17(std::uint64_t q, char* digits) {
    digits[0] = static_cast<char>('0' + q / kLow17);
    const std::uint64_t rest = q % kLow17;
    put_eight_digits(static_cast<std::uint32_t>(rest / 100000000u), digits + 1);
    put_eight_digits(static_cast<std::uint32_t>(rest % 100000000u), digits + 9);
}

constexpr std::uint32_t kPow10u32[] = {1,      10,      100,      1000,      10000,
                                       100000, 1000000, 10000000, 100000000};

// The kept digits of `first8` (the first eight of the 17) at N digits, with
// constant divisors for each N.
template <int N>
std::uint32_t round_first8(std::uint32_t first8, int& x) {
    constexpr std::uint32_t unit = kPow10u32[8 - N];  // one at the place of the N-th digit
    std::uint32_t kept = first8 / unit * unit;
    if (first8 % unit >= unit / 2) kept += unit;  // the digit after the N-th is 5 or more
    if (kept == kPow10u32[8]) {                   // the carry out of the first digit
        kept = kPow10u32[7];
        ++x;
    }
    return kept;
}

// The marker of a value that is not finite, as the text of an edit.
std::size_t put_marker(float value, char* out) {
    const std::string_view marker = nonfinite_marker(value);
    std::memcpy(out, marker.data(), marker.size());
    return marker.size();
}

}  // namespace

std::uint32_t round_half_up(std::uint64_t q, int n, int& x) {
    // Only the digit after the n-th decides, and n <= 7: the first eight suffice.
    const auto first8 = static_cast<std::uint32_t>(q / 1000000000u);
    switch (n < 0 ? 0 : n > kMaxSignificant ? kMaxSignificant : n) {
        case 0: return round_first8<0>(first8, x);
        case 1: return round_first8<1>(first8, x);
        case 2: return round_first8<2>(first8, x);
        case 3: return round_first8<3>(first8, x);
        case 4: return round_first8<4>(first8, x);
        case 5: return round_first8<5>(first8, x);
        case 6: return round_first8<6>(first8, x);
        default: return round_first8<7>(first8, x);
    }
}

bool DecimalForm::round_half_up(int n) {
    const int before = exponent;
    const std::uint32_t kept = detail::round_half_up(significand, n, exponent);
    significand = std::uint64_t{kept} * 1000000000u;
    put_eight_digits(kept, digits);
    std::memset(digits + 8, '0', sizeof digits - 8);
    return exponent != before;
}

DecimalForm decimal_form(double value) {
    DecimalForm f;
    f.negative = std::signbit(value);
    if (value == 0.0) {
        std::memset(f.digits, '0', sizeof f.digits);
        f.zero = true;
        f.exponent = 0;
        return f;
    }
    const Digits17 d = significant_digits(std::fabs(value));
    f.significand = d.q;
    put_digits17(d.q, f.digits);
    f.exponent = d.x;
    return f;
}

std::size_t edit_e(float value, int d, char* out) {
    if (!std::isfinite(value)) return put_marker(value, out);
    char* p = out;
    if (value == 0.0f) {  // no sign, all digits 0, exponent +00
        *p++ = '.';
        std::memset(p, '0', static_cast<std::size_t>(d));
        p += d;
        return static_cast<std::size_t>(put_exponent(p, 0, true) - out);
    }
    // The 17-digit form Q x 10^(X-17), rounded at the digits the field shows.
    const Digits17 g = significant_digits(std::fabs(static_cast<double>(value)));
    int x = g.x;
    const std::uint32_t kept = round_half_up(g.q, d, x);
    if (value < 0.0f) *p++ = '-';
    *p++ = '.';
    // The kept digits, then zeros, as eight digits at once (`out` has room
    // for them); the field shows d of them.
    put_eight_digits(kept, p);
    if (d > 8) std::memset(p + 8, '0', static_cast<std::size_t>(d - 8));
    p += d;
    return static_cast<std::size_t>(put_exponent(p, x, true) - out);
}

std::size_t edit_f(float value, int d, char* out) {
    if (!std::isfinite(value)) return put_marker(value, out);
    DecimalForm f = decimal_form(static_cast<double>(value));
    char* p = out;
    if (f.zero || f.exponent < -d) {
        // Rounds to zero at d places: no sign, no digit before the point.
        *p++ = '.';
        for (int k = 0; k < d; ++k) *p++ = '0';
        return static_cast<std::size_t>(p - out);
    }
    int integer_digits = f.exponent;  // I
    int significant = f.exponent + d; // S
    if (f.round_half_up(significant)) {
        ++integer_digits;
        ++significant;
    }
    if (f.negative && !f.all_zero()) *p++ = '-';
    if (integer_digits == 0 && significant == 0) *p++ = '0';
    for (int k = 0; k < integer_digits; ++k) *p++ = f.digit(k);
    *p++ = '.';
    int written = 0;
    if (integer_digits < 0) {
        for (int k = 0; k < -integer_digits && written < d; ++k, ++written) *p++ = '0';
        for (int k = 0; written < d; ++k, ++written) *p++ = f.digit(k);
    } else {
        for (int k = integer_digits; written < d; ++k, ++written) *p++ = f.digit(k);
    }
    return static_cast<std::size_t>(p - out);
}

std::size_t edit_i(std::int32_t value, char* out) {
    const auto res = std::to_chars(out, out + 16, value);
    return static_cast<std::size_t>(res.ptr - out);
}

}  // namespace detail

std::string_view nonfinite_marker(float value) {
    if (std::isfinite(value)) return {};
    if (std::isinf(value)) return "1#INF";
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const bool quiet = (bits & 0x00400000u) != 0;
    if (!quiet) return "1#SNAN";
    // The x87/SSE "real indefinite": negative quiet NaN with an empty payload.
    if (bits == 0xFFC00000u) return "1#IND";
    return "1#QNAN";
}

std::size_t edit_list_real(float value, char* out) {
    if (!std::isfinite(value)) return detail::put_marker(value, out);
    detail::DecimalForm f = detail::decimal_form(static_cast<double>(value));
    if (!f.zero && f.exponent >= 1 && f.exponent <= 7) return detail::edit_f(value, 6, out);
    char* p = out;
    if (!f.zero) f.round_half_up(detail::kMaxSignificant);
    if (f.negative && !f.zero) *p++ = '-';
    *p++ = f.digit(0);
    *p++ = '.';
    for (int k = 1; k < 7; ++k) *p++ = f.digit(k);
    p = detail::put_exponent(p, f.zero ? 0 : f.exponent - 1, true);
    return static_cast<std::size_t>(p - out);
}

}  // namespace fixrec
