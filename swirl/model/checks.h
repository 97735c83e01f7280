// What a hand edit can do to a data file without making it unreadable, found
// in its bytes: the programs read such a file without a word, so swirl says
// it.  One place for every command: show, sweep and run warn, edit and set
// refuse what would be written or changed on a wrong footing.
//
// The checks:
//   - Shifted: every value line's label columns (the columns before the
//     field the program reads) end in its input's name, as every report
//     writes them.  The name is compared as the last word of those columns,
//     in any case, Cyrillic letters that look like Latin ones taken as those
//     (the report's `ТК` and a typed `TK` are the same), a trailing '=' or ':'
//     dropped.  The Russian text before it may be reworded at will.  When a
//     value line's last word is another word (or there is none), a line was
//     most likely inserted or removed above it, and the program reads every
//     value after it from the wrong line; the message says so when a label
//     names another input or the input's label stands on another line, and
//     otherwise that the label must end in the name.
//   - ImpliedDecimals: a real field typed without a decimal point reads its
//     digits as a fraction (`1000` in an E16.5 field reads .01000).
//   - Leftover: a field in pieces (blanks inside are ignored, so the pieces
//     join up), with two decimal points, with an exponent left without
//     digits, or with an exponent where the report writes one after a
//     mantissa that no report writes ("0.0002" typed over "  .10000E-02"
//     leaves "0.000200E-02"): what an old value leaves behind when a new one
//     is typed over part of it.
//   - Unprintable: a value the program reads but its report prints as
//     asterisks (an F11.4 field from 10^6 up): the next run loses it.  The
//     program's own report for the values read tells (its edit of each field,
//     printed(), when the computation is invalid and it writes none).
//   - Utf8: the file is UTF-8 text, not code page 866 (its Cyrillic letters
//     take two bytes each and push the fields out of their columns).
//   - OtherProgram: the report banner of another program stands in the
//     header lines.
// A report of the program, and its bundled example, gives no finding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "swirl/model/model.h"

namespace swirl {

enum class FindingKind { Utf8, OtherProgram, Shifted, ImpliedDecimals, Leftover, Unprintable };

struct Finding {
    FindingKind kind;
    int line = 0;          // 1-based; 0 for the whole file
    std::string input;     // the input's name; empty when the finding is not about one
    std::string message;   // one line of UTF-8, without the file's name
};

// "utf8", "other-program", "shifted", "implied-decimals", "leftover",
// "unprintable": for --json.
std::string_view kind_name(FindingKind kind);

// The findings for a data file of `calc` at `path` (the path is used in the
// messages: the iconv command, the name that told the program).  A UTF-8
// file, another program's report or shifted labels give only that finding:
// the others would follow from it.  The rest come in line order.  Reads and
// reports through a FIXREC memory unit (Calculator::read, ::report): one
// thread at a time.
std::vector<Finding> check_data_file(const Calculator& calc, std::string_view path, std::string_view bytes);

// A finding on which set writes nothing: its values would go to other lines
// than the inputs named (Shifted, Utf8, OtherProgram).  edit refuses a text
// with Shifted labels, and does not open a UTF-8 file.
bool blocks_writing(const Finding& finding);

// The findings that must be told with a failure to read the file (Utf8,
// OtherProgram), and the Leftover of the failing line: "; " before each.
std::string failure_notes(const std::vector<Finding>& findings, int failing_line);

}  // namespace swirl
