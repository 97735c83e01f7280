// The two ways a person changes a data file through swirl, each checked in
// full before anything is written: values given by name (swirl set) and the
// whole file edited as UTF-8 text (swirl edit).  Either gives the bytes of a
// data file whose input section reads with the program's own rules, or a
// refusal in words; a file is never written from anything else.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/model/checks.h"
#include "swirl/model/model.h"

namespace swirl {

// One NAME=VALUE of swirl set, accepted.
struct Assignment {
    std::size_t input = 0;  // index in calc.inputs
    std::string typed;      // the value as given
    Held held;              // as its field holds it
};

// Parses NAME=VALUE texts: the name of an input in any case, the value a
// plain decimal number (parse_plain_decimal) that its field can hold (hold).
// A refusal is a UsageError naming the text: no '=', an unknown name (the
// names are listed), an input given twice, a value that is not a plain
// decimal number, and the refusals of hold().
std::vector<Assignment> parse_assignments(const Calculator& calc, std::span<const std::string> texts);

// The bytes of a data file with the field of each assignment written by
// put_field.  `bytes` must read; the result is read again and each assigned
// input must read its held value and every other input what it read before
// (std::logic_error otherwise: nothing may be written then).
std::string assign(const Calculator& calc, std::string_view bytes, std::span<const Assignment> assignments);

// Where the reading of an input section stopped, as one line of UTF-8 for a
// person: the line, the column, the field and its columns, and what was
// found there ("line 9, column 39: R1 (columns 39-50) is not a number:
// \"1.2.3\"").  Control characters found are shown as \xNN.
std::string describe(const Calculator& calc, const calculators::ReadFailure& failure);

// The text of a data file for a person to edit: UTF-8, each CR LF line end
// turned into LF (a stray CR stays).
std::string text_for_editing(std::string_view bytes);

// A data file made from a text a person edited: code page 866 with CR LF at
// the end of every line (to_cp866), whose input section reads with the
// program's rules and whose labels match their lines (check_data_file: no
// Shifted finding; a refusal then starts "line N:" as the others do).  A text that does not read is refused with
// the place, and the notes of failure_notes (a leftover of an old value on
// that line); the other findings of an accepted text come with it, to be
// told.  `path` is the file's, for the messages.
struct EditedFile {
    std::string bytes;    // the data file, when accepted
    std::string refusal;  // empty when accepted; else one line of UTF-8 naming the line and column
    std::vector<Finding> findings;  // of an accepted text: what to warn of
};
EditedFile data_file_from_text(const Calculator& calc, std::string_view utf8, std::string_view path = {});

}  // namespace swirl
