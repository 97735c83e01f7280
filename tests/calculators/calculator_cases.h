// The three calculators as the shared tests of their Calculator drive them.
// What a test checks is the same for each program; what differs is data,
// and each program states its own in a table beside its other tests
// (bilm_cases.h, kerva_cases.h, zarn1_cases.h): the values of its example,
// where readings of broken input sections stop, the data files on which the
// Calculator must give what the built program gives, and the causes of
// invalid arithmetic those files reach.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calculators/calculator.h"
#include "table_checks.h"
#include "test_files.h"

namespace calculator_cases {

using calculators::ReadFailure;
using calculators::Value;

// A broken input section: where the reading stops, what it found there, and
// how many values it took before (they stand as in the example, the rest
// zero).
struct Stop {
    const char* name;
    std::string bytes;
    ReadFailure expected;
    std::size_t read;
};

// A data file for the Calculator and the built program alike.
struct DataFile {
    const char* name;
    std::string bytes;
    // The exit-3 line its computation ends with ("" for a valid one); none
    // when the input section is unreadable.
    std::optional<std::string_view> failure;
    // A line the program's console shows ("" for an empty console); none
    // when the case does not say.
    std::optional<std::string_view> shows = {};
};

struct Program {
    const char* name;  // "BILM"
    const calculators::Calculator& (*calculator)();
    const char* path;       // the built executable
    const char* data_file;  // its data file, and the name of its example in EXAMPLES_DIR
    int input_lines;
    std::vector<Value> example_inputs;  // the example's values, in table order
    // The checks of the typed tables: the Calculator's fields against them,
    // and the report read back value line by value line.
    void (*report_reads_back)();
    std::vector<Stop> stops;
    std::vector<DataFile> data_files;
    // Every exit-3 line that a data file can reach: the data files above
    // reach each of them.
    std::vector<std::string_view> causes;
    // Inputs around the example for computations from several threads: how
    // many sets, each real scaled over up to this many decades either way,
    // and how many of the computations show console lines at the least.
    std::size_t sweep_sets;
    float sweep_decades;
    int sweep_console_lines;
    // The name of the data file that a run on another path is given.
    const char* other_name;
    // Without a data file the program writes the blank form to a file named
    // on its command line.
    bool writes_a_blank_form;
};

inline void PrintTo(const Program* p, std::ostream* os) { *os << p->name; }

// The check of a program's typed tables (table_checks.h) as
// Program::report_reads_back takes it.
// A run record all zero, for a program without a new_run of its own.
template <class Record>
Record zeroed() {
    return Record{};
}
template <const auto& inputs, auto start, auto write_report, auto read_input>
void reads_back() {
    test_support::expect_report_reads_back(inputs, start(), write_report, read_input);
}

// ---------------------------------------------------------------------------
// Data files made from the examples.

inline std::string example(std::string_view file) {
    return test_support::read_bytes(std::filesystem::path(EXAMPLES_DIR) / file);
}

// The first `count` lines of `bytes`, each with its CR LF.
inline std::string first_lines(const std::string& bytes, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t k = 0; k < count; ++k) end = bytes.find("\r\n", end) + 2;
    return bytes.substr(0, end);
}

// `bytes` with the text of line `line` (1-based) replaced by `text`.
inline std::string with_line(std::string bytes, int line, std::string_view text) {
    std::size_t at = 0;
    for (int k = 1; k < line; ++k) at = bytes.find("\r\n", at) + 2;
    bytes.replace(at, bytes.find("\r\n", at) - at, text);
    return bytes;
}

// A value line: `label` columns of dots, then `field`.
inline std::string value_line(std::size_t label, std::string_view field) {
    return std::string(label, '.') + std::string(field);
}

// `bytes` with the fields of some value lines replaced, {name, text}: the
// text right-aligned in the columns of the field.  The read format of a
// value line, (nX,Ew.d), (nX,Fw.d) or (nX,Iw), skips n columns and reads w.
using Edits = std::vector<std::pair<std::string_view, std::string_view>>;
inline std::string with_values(const calculators::Calculator& c, std::string bytes, const Edits& edits) {
    for (const auto& [name, text] : edits) {
        const calculators::Field* field = nullptr;
        for (const calculators::Field& f : c.inputs)
            if (f.name == name) field = &f;
        if (field == nullptr) throw std::invalid_argument(std::string(name));
        const std::string format(field->read.source());
        const std::size_t skip = std::stoul(format.substr(format.find('(') + 1));
        const std::size_t width = std::stoul(format.substr(format.find(',') + 2));
        std::size_t at = 0;
        for (int k = 1; k < field->line; ++k) at = bytes.find("\r\n", at) + 2;
        bytes.replace(at + skip, width, std::string(width - text.size(), ' ') + std::string(text));
    }
    return bytes;
}

inline constexpr auto kNotANumber = calculators::ReadReason::NotANumber;
inline constexpr auto kBeyondSingle = calculators::ReadReason::BeyondSingle;
inline constexpr auto kEndOfFile = calculators::ReadReason::EndOfFile;

inline ReadFailure failure(int line, std::string_view field, int first, int last, std::string found,
                           calculators::ReadReason reason) {
    ReadFailure f;
    f.line = line;
    f.kind = field == "header line"  ? calculators::LineKind::Header
             : field == "label line" ? calculators::LineKind::Label
                                     : calculators::LineKind::Value;
    f.field = field;
    f.first_column = first;
    f.last_column = last;
    f.found = std::move(found);
    f.reason = reason;
    return f;
}

// The exit-3 lines of a program whose Status runs from Ok to `last`, but
// those of `unreachable`.
template <class Status>
std::vector<std::string_view> causes(std::string_view (*message)(Status), Status last,
                                     std::vector<Status> unreachable = {}) {
    std::vector<std::string_view> out;
    for (int s = 1; s <= static_cast<int>(last); ++s) {
        bool skip = false;
        for (const Status u : unreachable) skip = skip || static_cast<int>(u) == s;
        if (!skip) out.push_back(message(static_cast<Status>(s)));
    }
    return out;
}

}  // namespace calculator_cases
