// A case list: the cases of a sweep as the rows of a CSV table (RFC 4180,
// UTF-8), a header of input names in any case (any of the program's inputs,
// in any order), then one row a case of plain decimals (blanks around a
// value are dropped).  Each value is held as its field holds it, as swirl
// set writes it; every input the list has no column for is as the data file
// holds it.
//
//   const swirl::CaseList cases = swirl::read_case_list(calc, text, "tanks.csv");
//   const swirl::Sweep sweep(calc, base, cases);
//
// UsageError, naming the row (1 the first after the header) and its line and
// the column: a column that is not an input (with the nearest name), an input
// named twice, an empty column name, a row of too few or too many cells, an
// empty cell, a cell that is not a number, a value its field cannot hold; a
// list without rows; CSV that does not parse (the line).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/model/model.h"

namespace swirl {

struct CaseList {
    std::vector<std::size_t> inputs;  // the input of each column
    struct Row {
        std::vector<Value> values;       // held, one per column
        std::vector<std::string> texts;  // their CSV texts (append_value_text)
    };
    std::vector<Row> rows;
};

// `name` is the list's name for messages.
CaseList read_case_list(const Calculator& calc, std::string_view text, std::string_view name);

}  // namespace swirl
