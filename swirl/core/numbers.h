// Numbers as text for the swirl command: the values it writes to CSV and JSON,
// and the values a person types on its command line.
//
// shortest(f) is the shortest decimal that reads back to exactly the same
// float (std::to_chars without a precision): 0.1f -> "0.1", 1e20f -> "1e+20",
// 1.5e-5f -> "1.5e-05"; a whole number written without exponent keeps all
// its digits: 123456792.f -> "123456792".  The text also reads back to the
// same float when it is read as a double and then rounded to float, as JSON
// and CSV readers (and this suite) read numbers; for two floats the shortest
// text fails that (7.038531e-26 lands on the neighbouring float), and they
// get one digit more: 7.0385307e-26.  The forms it produces (an optional minus,
// digits with at most one point, an optional exponent "e+NN"/"e-NN") are
// accepted alike by JSON, spreadsheets and CSV readers.  A value that is not
// finite has no such form: shortest() returns an empty text for infinities
// and NaN, which in a CSV file is the empty cell of an absent value.  Callers
// writing JSON pass only finite values (dump_json writes null for the rest).
//
// parse_plain_decimal(t) accepts a plain decimal number as a person types it:
// an optional sign, digits with at most one point (".5" and "5." included,
// "." alone not), and an optional exponent e or E with an optional sign and
// digits.  Everything else is refused: blanks anywhere, a decimal comma,
// letters, "inf", "nan", hexadecimal, an empty text, and numbers beyond the
// range of double (1e400) or that underflow to zero (1e-400).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace swirl {

std::string shortest(float value);

// The same text written at `first`, where kShortestSize characters fit;
// returns the end of the text (`first` itself when the value is not finite).
// For rows written by the million: no allocation.
inline constexpr std::size_t kShortestSize = 48;
char* write_shortest(char* first, float value);

std::optional<double> parse_plain_decimal(std::string_view text);

}  // namespace swirl
