// Input editing: the characters of one numeric field -> a value, or a failure.
//
// Blanks and tabs inside a numeric field are ignored wherever they stand (the
// data files are typed by hand and columns drift).  A real field accepts
//   [sign] digits-with-at-most-one-point [exponent]
// where the exponent is E/e/D/d [sign] digits, or a sign directly followed by
// digits ("0.12345+04").  Without a point the digits carry d implied decimals.
#pragma once

#include <cstdint>
#include <string_view>

namespace fixrec {

enum class InputStatus : std::uint8_t {
    Ok,
    BadReal,       // not of the accepted form
    RealOverflow,  // magnitude above the largest single-precision value
    BadInteger,    // a character other than sign and digits
    IntegerOverflow,
    EndOfFile,     // a Ctrl-Z inside a numeric field reads as the end of the file
};

// `field` holds the raw characters of the field (blanks included); `d` is the
// number of implied decimals used when the field has no point.
InputStatus read_real(std::string_view field, int d, float& out);
InputStatus read_integer(std::string_view field, std::int32_t& out);

}  // namespace fixrec
