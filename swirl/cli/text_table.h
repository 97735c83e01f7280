// Columns of UTF-8 text aligned for a terminal: each cell padded to the
// widest cell of its column, counted in characters (a Cyrillic letter is two
// bytes of UTF-8 and one column), two blanks between columns, no blanks at
// the end of a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace swirl {

// `align` has one letter per column: 'l' left, 'r' right.  Every row has at
// most that many cells.
std::string aligned(const std::vector<std::vector<std::string>>& rows, std::string_view align);

// A row of a Markdown table: "| a | b |".
std::string markdown_row(const std::vector<std::string>& cells);

}  // namespace swirl
