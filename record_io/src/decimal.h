// The decimal digits of a real or integer field, before its layout: the
// renderer (renderer.h) gives them their width, asterisks and non-finite
// markers, and only the renderer calls these.  Public callers render whole
// fields (fixrec/render.h), which every float and every width can take.
//
// The digits come from the shortest exact route the standard library offers:
// the single-precision value is widened to double and written with 17
// significant digits by std::to_chars; the report's own rule then keeps at
// most 7 significant digits, rounding half up on those decimal digits
// (round_half_up, the one place of that rule).  printf would round the
// binary value instead and differs on ties.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fixrec::detail {

// Single precision never shows more significant digits.
constexpr int kMaxSignificant = 7;

// Rounds the 17 significant digits q (10^16 <= q < 10^17, or 0 for zero) to
// their first n (0 <= n <= 7; outside, the nearest of the two), half up on
// the decimal digits: one is added to the n-th digit when the digit after it
// is 5 or more.  Returns the kept digits followed by zeros as eight digits
// (10^7 <= result < 10^8; 0 when nothing is kept).  A carry out of the first
// digit gives "1" followed by zeros and adds one to the exponent `x`.
std::uint32_t round_half_up(std::uint64_t q, int n, int& x);

// Decimal form of a finite value: 0.D x 10^X with D of 17 significant digits
// (D = "0", X = 0 for zero).
struct DecimalForm {
    bool negative = false;
    bool zero = false;
    std::uint64_t significand = 0;  // D as an integer
    char digits[17] = {};           // D as characters
    int exponent = 0;

    // Keeps n significant digits by round_half_up; the dropped positions
    // become '0'.  True when the rounding carried out of the first digit.
    bool round_half_up(int n);
    char digit(int k) const { return (k >= 0 && k < 17) ? digits[k] : '0'; }
    bool all_zero() const { return significand == 0; }
};

DecimalForm decimal_form(double value);

// Room an edit may need for a field with d digits after the point.
constexpr std::size_t edit_capacity(int d) { return static_cast<std::size_t>(d) + 64; }

// Texts of the E, F and I edits (no leading blanks); return the length.
// `out` must hold edit_capacity(d) bytes.  A value that is not a finite
// number gives its marker (nonfinite_marker), which the renderer fills
// with dots to the width of the field.
std::size_t edit_e(float value, int d, char* out);
std::size_t edit_f(float value, int d, char* out);
std::size_t edit_i(std::int32_t value, char* out);

}  // namespace fixrec::detail
