// What the swirl command knows of the three programs: which program a data
// file is for, its inputs by name, and a value as a data file holds it once
// typed into its field.
//
// Every value a person gives (swirl set, the grids of swirl sweep) goes
// through hold(): it is written by the report's own edit of that line (so the
// field holds what a report would print) and read back by the program's own
// reading rule, and the value read back is the value the program computes
// with.  A value the field cannot hold (asterisks, an integer field given a
// fraction or a number too wide) is refused as a usage error.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "calculators/calculator.h"
#include "fixrec/fixrec.h"

namespace swirl {

using calculators::Calculator;
using calculators::Field;
using calculators::Value;

// BILM, KERVA and ZARN1.
std::span<const Calculator* const> programs();

// The program of that name, in any case; null when there is none.
const Calculator* find_program(std::string_view name);

// "BILM, KERVA, ZARN1": for messages.
std::string program_names();

// "unknown program X (did you mean Y? one of BILM, KERVA, ZARN1)".
std::string unknown_program(std::string_view name);

// The program a data file is for: the --program option when given (any case;
// an unknown name is a usage error), else the file's base name starting with
// a program's name (any case), else the banner of a report among the first
// lines of `bytes` (what the file holds; empty when unknown).  A usage error
// asking for --program when none of these tells.
const Calculator& detect_program(std::string_view path, std::string_view bytes,
                                 std::optional<std::string_view> program);

// The index of the input of that name (any case) in calc.inputs; a usage
// error listing the names otherwise.
std::size_t input_index(const Calculator& calc, std::string_view name);

// "Q, HG, R1, RCR, UPOD": for messages.
std::string input_names(const Calculator& calc);

// Where an input's field lies on its line: the columns the program reads
// (1-based, inclusive) and those the report writes the value into, which lie
// within them.
struct FieldPlace {
    int read_first = 0, read_last = 0;
    int report_first = 0, report_last = 0;
    fixrec::Descriptor read;    // the data descriptor of the reading statement
    fixrec::Descriptor report;  // and of the report statement
};
FieldPlace field_place(const Field& field);
// The same with the report's field for `value`: wider than the usual one for
// a count that the usual field cannot hold (KERVA's NI = 10 in columns 47-48).
FieldPlace field_place(const Field& field, const Value& value);

// A value as the data file holds it once written into its field.
struct Held {
    Value value;          // what the program reads back from the field
    std::string field;    // the report's field text (code page 866), as wide as the field of the
                          // statement the report writes this value with (calculators::report_format)
    bool exact = false;   // the field holds the typed value exactly
};

// `typed` written by the report's edit and read back by the program's rule.
// Usage errors: a real whose field would print asterisks, an integer input
// given a fraction or a value its field cannot print.
Held hold(const Field& field, double typed);

// The text of a value as the report prints it (its field, blanks trimmed),
// or a console value as its console line prints it.
std::string printed(const Field& field, const Value& value);

// The bytes of a data file with one input's field replaced: the columns the
// program reads are blanked and the report's field written into its columns;
// every other byte stays as it was (a line too short for the field is
// lengthened with blanks before its line end).  The line must exist.
std::string put_field(std::string_view bytes, const Field& field, const Held& held);

// The field of an input as it stands in a data file (the columns the program
// reads, as on the line; shorter when the line is).
std::string field_text(std::string_view bytes, const Field& field);

}  // namespace swirl
