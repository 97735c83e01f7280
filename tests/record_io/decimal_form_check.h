// The 17-digit decimal form behind every printed real, checked against
// std::to_chars, which rounds the exact binary value to 17 significant digits
// with ties to even.
#pragma once

#include <charconv>
#include <string>

#include "decimal.h"  // record_io/src

namespace fixrec_test {

// Empty when decimal_form(v) agrees with std::to_chars; otherwise both forms.
inline std::string decimal_form_mismatch(float v) {
    const fixrec::detail::DecimalForm f = fixrec::detail::decimal_form(static_cast<double>(v));
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v),
                                   std::chars_format::scientific, 16);
    std::string expected_digits(1, buf[0]);
    expected_digits.append(buf + 2, 16);
    int e = 0;
    const char* exp = buf + 19;
    std::from_chars(exp[0] == '+' ? exp + 1 : exp, res.ptr, e);
    const std::string digits(f.digits, 17);
    if (digits == expected_digits && f.exponent == e + 1) return {};
    return "0." + digits + "E" + std::to_string(f.exponent) + " instead of 0." + expected_digits + "E" +
           std::to_string(e + 1) + " (" + std::string(buf, res.ptr) + ")";
}

}  // namespace fixrec_test
