// The tables of a data file: one row per line of the input section, one row
// per scalar result of the report.
//
// A quantity's line, name, read format, report format, unit and meaning live
// in one row.  The program's reader walks its input table
// (read_input_section), the report's input block walks it again
// (write_input_block), and a tool finds an input by name in it.  The report
// writer keeps its own order and conditions for the results, but writes each
// result line with the format of its row.
//
// Tables are constexpr std::arrays in each program's data_file.h;
// well_formed() checks one at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fixrec/fixrec.h"

namespace calculators {

enum class LineKind : std::uint8_t {
    Header,  // any text, skipped; the report writes its banner there
    Label,   // a fixed text, skipped; the report writes the label again
    Value,   // a label column and a value field
};

enum class ValueType : std::uint8_t { Real, Integer };

// Where a run prints a result: a line of the report, or only a list-directed
// console line (its value in the console's 15-column real item).
enum class Shown : std::uint8_t { Report, Console };

// Header and label lines are read as (80A1) into this many characters.
inline constexpr int kTextLineWidth = 80;

// One line of the input section.
template <class Record>
struct InputLine {
    int line;             // 1-based line of the input section
    LineKind kind;
    std::string_view name;  // ASCII ("Q"; МА, К, М, ТК spelled MA, K, M, TK); "" for header and label lines
    fixrec::FormatView read;    // "(38X,E12.5)", "(80A1)"
    fixrec::FormatView report;  // the report statement of the line; unused for a header line
    std::string_view unit;      // the report's own unit text, code page 866 ("м3/с"); "" when none
    std::string_view meaning;   // short English meaning
    float Record::*real = nullptr;  // a value line has exactly one of these two
    std::int32_t Record::*integer = nullptr;
    // The report statement for a count that the field of `report` cannot
    // hold: the same line with a wider field starting in the same column.
    // `report` again where the report has no such statement.
    fixrec::FormatView wide = report;

    static constexpr InputLine header(int line, fixrec::FormatView read) {
        return {line, LineKind::Header, {}, read, read, {}, {}};
    }
    static constexpr InputLine label(int line, fixrec::FormatView read, fixrec::FormatView report) {
        return {line, LineKind::Label, {}, read, report, {}, {}};
    }
    static constexpr InputLine value(int line, std::string_view name, fixrec::FormatView read,
                                     fixrec::FormatView report, std::string_view unit,
                                     std::string_view meaning, float Record::*member) {
        return {line, LineKind::Value, name, read, report, unit, meaning, member, nullptr};
    }
    static constexpr InputLine value(int line, std::string_view name, fixrec::FormatView read,
                                     fixrec::FormatView report, std::string_view unit,
                                     std::string_view meaning, std::int32_t Record::*member) {
        return {line, LineKind::Value, name, read, report, unit, meaning, nullptr, member};
    }
    // A count whose report field is narrower than the one the reader reads:
    // `wide` writes the values that `report` cannot hold.
    static constexpr InputLine value(int line, std::string_view name, fixrec::FormatView read,
                                     fixrec::FormatView report, fixrec::FormatView wide,
                                     std::string_view unit, std::string_view meaning,
                                     std::int32_t Record::*member) {
        return {line, LineKind::Value, name, read, report, unit, meaning, nullptr, member, wide};
    }

    constexpr ValueType type() const { return integer != nullptr ? ValueType::Integer : ValueType::Real; }
};

// The first data descriptor of a format; a Literal descriptor when none.
constexpr fixrec::Descriptor first_field(const fixrec::FormatView& format) {
    for (const fixrec::Descriptor& d : format.descriptors())
        if (d.is_data()) return d;
    return {};
}

// Columns before the first data field of an output statement: its skips and
// literal texts.
constexpr int columns_before_field(const fixrec::FormatView& format) {
    int n = 0;
    for (const fixrec::Descriptor& d : format.descriptors()) {
        if (d.is_data()) return n;
        if (d.kind == fixrec::DescKind::Skip) n += d.w;
        if (d.kind == fixrec::DescKind::Literal) n += static_cast<int>(format.text(d).size());
    }
    return n;
}

// Whether an integer field Iw prints `value` as digits rather than asterisks:
// w digits, or a minus sign and w - 1 digits.
constexpr bool integer_fits(const fixrec::Descriptor& field, std::int32_t value) {
    if (field.kind != fixrec::DescKind::I) return true;
    std::int64_t v = value;
    int width = v < 0 ? 1 : 0;
    if (v < 0) v = -v;
    do {
        ++width;
        v /= 10;
    } while (v != 0);
    return width <= field.w;
}

// The report statement that writes `value` on a value line: its own, or the
// wide one for a count that its own field cannot hold.
constexpr const fixrec::FormatView& report_for(const fixrec::FormatView& report, const fixrec::FormatView& wide,
                                               std::int32_t value) {
    return integer_fits(first_field(report), value) ? report : wide;
}


// The field that stands for a list-directed console real: a tool shows such
// a value as the console does (fixrec::edit_list_real), 15 columns wide.
namespace detail {
using namespace fixrec::literals;
inline constexpr fixrec::FormatView kConsoleReal = R"fmt((E15.7))fmt"_fmt;
}  // namespace detail
using detail::kConsoleReal;

// One scalar result of the report, or a value only a console line prints.
template <class Record>
struct ResultLine {
    std::string_view name;
    fixrec::FormatView report;  // the report statement that writes it (kConsoleReal for a console value)
    std::string_view unit;      // code page 866, "" when none
    std::string_view meaning;
    float Record::*real = nullptr;
    std::int32_t Record::*integer = nullptr;
    Shown shown = Shown::Report;

    static constexpr ResultLine of(std::string_view name, fixrec::FormatView report, std::string_view unit,
                                   std::string_view meaning, float Record::*member) {
        return {name, report, unit, meaning, member, nullptr};
    }
    static constexpr ResultLine of(std::string_view name, fixrec::FormatView report, std::string_view unit,
                                   std::string_view meaning, std::int32_t Record::*member) {
        return {name, report, unit, meaning, nullptr, member};
    }
    // A real that only a list-directed console line prints.
    static constexpr ResultLine console(std::string_view name, std::string_view unit, std::string_view meaning,
                                        float Record::*member) {
        return {name, kConsoleReal, unit, meaning, member, nullptr, Shown::Console};
    }

    constexpr ValueType type() const { return integer != nullptr ? ValueType::Integer : ValueType::Real; }
};

// ---------------------------------------------------------------------------
// Checks of a table, for static_assert.

// A unit is the report's own text of it: the statement that reports the
// value prints it (a console value has no line of the report).
// (A plain loop: under the sanitizers g++ 12 does not evaluate
// std::string_view::find in a constant expression.)
constexpr bool unit_on_report(const fixrec::FormatView& report, std::string_view unit) {
    if (unit.empty()) return true;
    const std::string_view text = report.source();
    for (std::size_t at = 0; at + unit.size() <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < unit.size() && text[at + k] == unit[k]) ++k;
        if (k == unit.size()) return true;
    }
    return false;
}

// Lines 1..N in order; a header or label line reads (80A1); a value line has
// a name, a meaning, one data field to read and one to report, its unit on
// the report, and one member.
template <class Record, std::size_t N>
constexpr bool well_formed(const std::array<InputLine<Record>, N>& table) {
    for (std::size_t i = 0; i < N; ++i) {
        const InputLine<Record>& row = table[i];
        if (row.line != static_cast<int>(i) + 1) return false;
        if (row.kind == LineKind::Value) {
            if (row.name.empty() || row.read.data_count() != 1 || row.report.data_count() != 1) return false;
            if (row.meaning.empty() || !unit_on_report(row.report, row.unit)) return false;
            if ((row.real == nullptr) == (row.integer == nullptr)) return false;
            // A wide statement writes the same value from the same column.
            if (row.wide.data_count() != 1 || columns_before_field(row.wide) != columns_before_field(row.report))
                return false;
            if (row.real != nullptr && row.wide.source() != row.report.source()) return false;
        } else {
            if (!row.name.empty() || row.real != nullptr || row.integer != nullptr) return false;
            if (row.read.data_count() != kTextLineWidth) return false;
            if (row.kind == LineKind::Label && row.report.data_count() != 0) return false;
        }
    }
    return true;
}

// Each result has a name, a meaning, one data field, its unit on the report
// line that shows it, and one member.
template <class Record, std::size_t N>
constexpr bool well_formed(const std::array<ResultLine<Record>, N>& table) {
    for (const ResultLine<Record>& row : table) {
        if (row.name.empty() || row.meaning.empty() || row.report.data_count() != 1 ||
            (row.real == nullptr) == (row.integer == nullptr))
            return false;
        if (row.shown == Shown::Report && !unit_on_report(row.report, row.unit)) return false;
    }
    return true;
}

// Value lines of a table.
template <class Record, std::size_t N>
constexpr std::size_t value_count(const std::array<InputLine<Record>, N>& table) {
    std::size_t n = 0;
    for (const InputLine<Record>& row : table) n += row.kind == LineKind::Value ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------------------
// The walkers.

// Where the reading of an input section stopped.
struct ReadResult {
    int line = 0;  // the line that could not be read (1-based); 0 when every line was read
    fixrec::Status status = fixrec::Status::Ok;
    constexpr bool ok() const { return status == fixrec::Status::Ok; }
};

// The value of a row of `record` as an output item.
template <class Row, class Record>
fixrec::Item item_of(const Row& row, const Record& record) {
    if (row.integer != nullptr) return fixrec::Item(record.*(row.integer));
    return fixrec::Item(record.*(row.real));
}

// Reads the input section from the connected `unit`, one statement per line
// in table order.  The first line that cannot be read ends the reading:
// values read before it are kept, later ones are left as they were.
template <class Record, std::size_t N>
ReadResult read_input_section(int unit, const std::array<InputLine<Record>, N>& table, Record& record) {
    char text[kTextLineWidth];
    const auto text_dests = fixrec::each_char(text);
    for (const InputLine<Record>& row : table) {
        fixrec::Status status;
        if (row.kind != LineKind::Value)
            status = fixrec::read_fields(unit, row.read, text_dests);
        else if (row.integer != nullptr)
            status = fixrec::read_fields(unit, row.read, {record.*(row.integer)});
        else
            status = fixrec::read_fields(unit, row.read, {record.*(row.real)});
        if (status != fixrec::Status::Ok) return {row.line, status};
    }
    return {};
}

// Writes the report's lines of the input section on `unit`: every label and
// value line in table order.  The banner over the header lines is the
// program's own.
template <class Record, std::size_t N>
void write_input_block(int unit, const std::array<InputLine<Record>, N>& table, const Record& record) {
    for (const InputLine<Record>& row : table) {
        if (row.kind == LineKind::Label) fixrec::write_line(unit, row.report);
        if (row.kind == LineKind::Value && row.integer != nullptr) {
            const std::int32_t value = record.*(row.integer);
            fixrec::write_line(unit, report_for(row.report, row.wide, value), {fixrec::Item(value)});
        }
        if (row.kind == LineKind::Value && row.real != nullptr)
            fixrec::write_line(unit, row.report, {fixrec::Item(record.*(row.real))});
    }
}

// Writes one result line on `unit`.
template <class Record>
void write_result(int unit, const ResultLine<Record>& row, const Record& record) {
    fixrec::write_line(unit, row.report, {item_of(row, record)});
}

}  // namespace calculators
