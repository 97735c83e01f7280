// Whole texts between code page 866, the encoding of every data file, and
// UTF-8, the encoding of terminals and editors today.  The table is the one
// the `_cp` literals use (fixrec/cp866.h): bytes below 0x80 are ASCII, the
// upper half holds Cyrillic letters, box drawing and a few signs.
//
// to_utf8(bytes) maps every byte and keeps the line ends as they are; it
// cannot fail, since every byte of code page 866 is a character.
//
// to_cp866(text) is the way back, for a data file a person has edited:
//   - line ends become CR LF: a line may end with LF or CR LF; a CR that is
//     not followed by LF is refused (it would split a line in one reader and
//     not in another, and no editor writes one by itself);
//   - when the last line has text, CR LF is added after it; an empty text
//     stays empty;
//   - a UTF-8 byte order mark at the very start is dropped;
//   - other control characters (TAB included) pass through as they are;
//   - an invalid UTF-8 sequence (a stray or missing continuation byte, an
//     overlong form, a surrogate, beyond U+10FFFF) or a character code page
//     866 has no byte for is an error.  The error gives the 1-based line and
//     the 1-based column in characters of the first such place, and what it
//     is; nothing is converted then.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace swirl {

// (fixrec::append_utf8 appends the same to a string.)
std::string to_utf8(std::string_view cp866);

struct TextError {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string what;
};

struct Cp866Text {
    std::string bytes;               // the converted text when there is no error
    std::optional<TextError> error;  // the first place that cannot be converted
};

Cp866Text to_cp866(std::string_view utf8);

}  // namespace swirl
