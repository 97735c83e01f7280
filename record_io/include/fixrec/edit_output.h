// Output editing: one value -> the digits of its field, before
// right-justification.  The whole field (width, asterisks, markers) is the
// renderer's: render_field in fixrec/render.h.
//
// The digits come from the shortest exact route the standard library offers:
// the single-precision value is widened to double and written with 17 significant
// digits by std::to_chars; the report's own rule then keeps at most 7 significant
// digits, rounding half up on those decimal digits.  (printf would round the
// binary value instead and differs on ties.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fixrec {

// Room an edit function may need for a field with d digits after the point.
constexpr std::size_t edit_capacity(int d) { return static_cast<std::size_t>(d) + 64; }

// Decimal form of a value: 0.D x 10^X with D of 17 significant digits
// (D = "0", X = 0 for zero).
struct DecimalForm {
    bool negative = false;
    bool zero = false;
    char digits[17] = {};
    int exponent = 0;

    // Keeps n significant digits (0 <= n <= 17), rounding half up on the decimal
    // digits; the dropped positions become '0'.  A carry out of the first digit
    // makes D = "1" and adds one to X.  Returns true when that carry happened.
    bool round_half_up(int n);
    char digit(int k) const { return (k >= 0 && k < 17) ? digits[k] : '0'; }
    bool all_zero() const;
};

DecimalForm decimal_form(double value);

// Texts of the E, F and I edits (no leading blanks); return the length.
// `out` must hold edit_capacity(d) bytes.
std::size_t edit_e(float value, int d, char* out);
std::size_t edit_f(float value, int d, char* out);
std::size_t edit_i(std::int32_t value, char* out);

// Marker text of a value that is not a finite number ("1#INF", "1#QNAN",
// "1#SNAN", "1#IND"); empty for a finite value.
std::string_view nonfinite_marker(float value);

// A real item of list-directed console output, without its 15-column padding:
// F form with 6 decimals for magnitudes 1 <= |v| < 10^7, otherwise the
// one-digit E form "d.ddddddE+xx".
std::size_t edit_list_real(float value, char* out);
constexpr int kListRealWidth = 15;

}  // namespace fixrec
