// CSV as RFC 4180 describes it: the table a sweep writes, and the reader that
// a plot of such a table uses.
//
// Writing.  Fields are appended to a std::string, separated by commas; a row
// ends with CR LF.  A field is quoted when it contains a comma, a double quote,
// CR or LF, or begins or ends with a blank (space or tab), which many readers
// would trim; a quote inside is doubled.  UTF-8 passes through unchanged.  A
// row made of one empty field is written as "" so that it is not a blank line.
//
//   std::string out;
//   swirl::append_csv_row(out, {"G", "RK", "VMAX"});
//   swirl::append_csv_field(out, "0.1", true);     // first field of a row
//   swirl::append_csv_field(out, "", false);       // an absent value
//   swirl::end_csv_row(out);
//
// Reading.  read_csv() parses a whole text: quoted fields may hold commas,
// doubled quotes and line breaks; rows end with CR LF or LF, and the last row
// may lack its line end.  A UTF-8 byte order mark at the start is skipped.
// The first row gives the column names, every other row must have as many
// cells; cells stay text.  A malformed text throws CsvError naming the line.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace swirl {

// Appends one field, preceded by a comma unless it is the first of its row.
void append_csv_field(std::string& out, std::string_view field, bool first);

// Ends a row with CR LF.  A row whose only field is empty (nothing was
// appended since the previous row end, or since the start of `out`) gets ""
// first, so that it does not read as a blank line.
void end_csv_row(std::string& out);

// A whole row of any range of texts (std::string, std::string_view, ...).
template <class Range>
void append_csv_row(std::string& out, const Range& fields) {
    bool first = true;
    for (const auto& f : fields) {
        append_csv_field(out, std::string_view(f), first);
        first = false;
    }
    end_csv_row(out);
}

inline void append_csv_row(std::string& out, std::initializer_list<std::string_view> fields) {
    append_csv_row<std::initializer_list<std::string_view>>(out, fields);
}

struct CsvTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

class CsvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

CsvTable read_csv(std::string_view text);

// The same rows without the check of their cells, each with the line it
// starts on: for a reader that names the row and the column of a short one.
struct CsvRecords {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::size_t> lines;  // the line each row starts on (the header's is 1)
};
CsvRecords read_csv_records(std::string_view text);

}  // namespace swirl
