// A calculator as a tool sees it: its tables, its example, and its steps on
// values in memory or on a data file at any path, without templates.
//
// Each program library exports `const calculators::Calculator&
// <namespace>::calculator();`.  The helpers below build the parts of one from
// the program's typed tables (data_file.h).
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/data_file.h"
#include "fixrec/fixrec.h"

namespace calculators {

// One value of a table: the member that the field's type names.
struct Value {
    float real = 0.0f;
    std::int32_t integer = 0;
};

// One value of a table, as a tool sees it.
struct Field {
    int line;                   // inputs: the line in the data file; results: 0
    std::string_view name;      // ASCII
    ValueType type;
    fixrec::FormatView read;    // inputs only (results: the report format again)
    fixrec::FormatView report;
    std::string_view unit;      // code page 866; "" when none
    std::string_view meaning;
    Shown shown = Shown::Report;  // results: on the report, or only on a console line
    // The report statement for a count that the field of `report` cannot
    // hold (same line, a wider field from the same column); `report` when the
    // line has none.  report_format() picks between the two.
    fixrec::FormatView wide = report;
};

// A verdict of a run: what the report or the console says of it in words
// rather than a number (which regimes were computed, that the funnel reaches
// the outlet, that a profile stopped at its last node).
struct VerdictField {
    std::string_view name;     // ASCII: a CSV column, a JSON key
    std::string_view meaning;  // English
    bool warning = false;      // the results are incomplete: a picture and standard error say so
};

// The statement the report writes `value` with on this field's line, as the
// program's report picks it.
constexpr const fixrec::FormatView& report_format(const Field& field, const Value& value) {
    return field.type == ValueType::Integer ? report_for(field.report, field.wide, value.integer) : field.report;
}

// Why the input section stops reading.
enum class ReadReason : std::uint8_t {
    NotANumber,    // a numeric field not of the accepted form (for a count: not a whole number)
    BeyondSingle,  // a real field whose magnitude exceeds the largest single-precision value
    EndOfFile,     // no such line, or an end-of-file mark (Ctrl-Z) in the field
};

// Where the input section stops reading, and why.
struct ReadFailure {
    int line = 0;                             // 1-based
    LineKind kind = LineKind::Value;          // of that line
    std::string_view field;                   // the value's name, or "header line" / "label line"
    int first_column = 0, last_column = 0;    // 1-based columns of the field (1-80 for a text line)
    std::string found;                        // the bytes there (code page 866); empty past the end of the file
    ReadReason reason = ReadReason::NotANumber;
    bool end_of_file() const { return reason == ReadReason::EndOfFile; }
};

// A column of a profile table (ZARN1).
struct Column {
    std::string_view name, unit;
    std::vector<float> values;
};

// What a computation gives.
struct Outcome {
    bool valid = false;          // false: the inputs make the computation invalid (exit 3)
    std::vector<Value> results;  // one per result field, in table order; zero where not computed
    // One per result field: false where the path of the run did not compute
    // the result.  Such a value is no number: a tool shows it as missing.
    std::vector<bool> computed;
    // One per Calculator::verdicts: the program's own words (code page 866),
    // several joined by "; "; empty when the run does not reach it.
    std::vector<std::string> verdicts;
    // The console lines before any exit-3 line: code page 866, without line
    // ends, exactly what a run shows (carriage control applied).  A run's
    // console is these lines and then `failure`, each ended by CR LF.
    std::vector<std::string> console;
    std::string failure;  // the exit-3 line when !valid
    std::vector<std::vector<Column>> tables;  // ZARN1 only, on request: {r, V, P}, {r, U, W}
    // Empties everything and keeps the capacities of the vectors: a sweep
    // reuses one Outcome per thread.
    void clear();
};

struct Calculator {
    std::string_view name;       // "BILM"
    std::string_view data_file;  // "BILM.DAT"
    std::string_view purpose;    // one to three lines of English, each ending in LF (--help)
    std::string_view banner;     // text of the report banner naming the program (code page 866)
    int input_lines;             // lines of the input section
    std::span<const Field> inputs;   // value lines only, in table order
    std::span<const Field> results;  // the scalar results of the report, then the console's values
    std::span<const VerdictField> verdicts;  // what the report and the console say in words
    std::string_view example;        // the bundled example data file, its bytes
    // Whether compute gives profile tables (Outcome::tables) when asked:
    // ZARN1's radial profiles.  The others have none.
    bool profiles = false;

    // Reads the input section from a data file's bytes with the program's
    // own rules.  `inputs` has one element per input field and receives what
    // was read (zero for lines not reached).  False: `failure` says where.
    // Uses a FIXREC memory unit (memory_unit_mutex): never during a run.
    bool (*read)(std::string_view bytes, std::span<Value> inputs, ReadFailure& failure);

    // Pure and thread-safe: no FIXREC unit, no global state.  The numbers,
    // console lines and exit-3 line of the program for these inputs.
    void (*compute)(std::span<const Value> inputs, bool with_tables, Outcome& out);

    // The report the program writes for these inputs, into `bytes`; false
    // when the computation is invalid (the program writes nothing then).
    // Uses a FIXREC memory unit (memory_unit_mutex): never during a run.
    bool (*report)(std::span<const Value> inputs, std::string& bytes);

    // The program's whole run on the data file at `path`: console, exit code
    // and file bytes exactly as the program gives when that file is its data
    // file in the current directory (the messages name the program's own
    // file).  `args` as the program's command-line arguments (a name for the
    // report that cannot go into the data file); `console` null for the
    // standard streams.  Returns the exit code.
    int (*run)(std::string_view path, std::vector<std::string> args, fixrec::ConsoleDevice* console);
};

// The unit that Calculator::read and Calculator::report connect to memory
// (a run's data file is unit 1).
inline constexpr int kMemoryUnit = 99;

// Whether the report shows `value` in this field's line as a number rather
// than asterisks, which no reader takes back: true for every value of most
// fields; false, for instance, for an F11.4 field from 10^6 up.
bool report_holds(const Field& field, const Value& value);

// ---------------------------------------------------------------------------
// Building a Calculator from a program's tables.

template <class Record>
constexpr Field field_of(const InputLine<Record>& row) {
    return {row.line, row.name, row.type(), row.read, row.report, row.unit, row.meaning, Shown::Report, row.wide};
}

template <class Record>
constexpr Field field_of(const ResultLine<Record>& row) {
    return {0, row.name, row.type(), row.report, row.report, row.unit, row.meaning, row.shown, row.report};
}

// The fields of the value lines of an input table; M = value_count(table).
template <std::size_t M, class Record, std::size_t N>
constexpr std::array<Field, M> input_fields(const std::array<InputLine<Record>, N>& table) {
    std::array<std::size_t, M> at{};
    std::size_t m = 0;
    for (std::size_t i = 0; i < N; ++i)
        if (table[i].kind == LineKind::Value) at[m++] = i;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<Field, M>{field_of(table[at[I]])...};
    }(std::make_index_sequence<M>{});
}

template <class Record, std::size_t N>
constexpr std::array<Field, N> result_fields(const std::array<ResultLine<Record>, N>& table) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<Field, N>{field_of(table[I])...};
    }(std::make_index_sequence<N>{});
}

// The report's results, then the values only the console prints.
template <class Record, std::size_t N, std::size_t C>
constexpr std::array<Field, N + C> result_fields(const std::array<ResultLine<Record>, N>& report,
                                                 const std::array<ResultLine<Record>, C>& console) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<Field, N + C>{(I < N ? field_of(report[I % N]) : field_of(console[(I - N) % C]))...};
    }(std::make_index_sequence<N + C>{});
}

// Field values to the record's members and back, in table order.
template <class Row, class Record>
void set_member(const Row& row, const Value& v, Record& record) {
    if (row.integer != nullptr)
        record.*(row.integer) = v.integer;
    else
        record.*(row.real) = v.real;
}

template <class Row, class Record>
Value member_value(const Row& row, const Record& record) {
    Value v;
    if (row.integer != nullptr)
        v.integer = record.*(row.integer);
    else
        v.real = record.*(row.real);
    return v;
}

template <class Record, std::size_t N>
void set_inputs(const std::array<InputLine<Record>, N>& table, std::span<const Value> inputs, Record& record) {
    std::size_t k = 0;
    for (const InputLine<Record>& row : table)
        if (row.kind == LineKind::Value && k < inputs.size()) set_member(row, inputs[k++], record);
}

template <class Record, std::size_t N>
void get_inputs(const std::array<InputLine<Record>, N>& table, const Record& record, std::span<Value> inputs) {
    std::size_t k = 0;
    for (const InputLine<Record>& row : table)
        if (row.kind == LineKind::Value && k < inputs.size()) inputs[k++] = member_value(row, record);
}

template <class Record, std::size_t N>
void get_results(const std::array<ResultLine<Record>, N>& table, const Record& record, std::vector<Value>& results) {
    results.clear();
    for (const ResultLine<Record>& row : table) results.push_back(member_value(row, record));
}

// Appends the values of a table's rows to `results`.
template <class Record, std::size_t N>
void append_results(const std::array<ResultLine<Record>, N>& table, const Record& record,
                    std::vector<Value>& results) {
    for (const ResultLine<Record>& row : table) results.push_back(member_value(row, record));
}

// The words of a report or console statement: the text of its literals,
// each run of blanks, skips and record ends made one blank, without the
// blanks and asterisks that frame it.  "(5X,'   *** ALGORITM  2 ***',/)" gives "ALGORITM 2".
std::string words_of(const fixrec::FormatView& format);
// The same of a text: a console line as a run shows it.
std::string words_of(std::string_view text);

// Adds `words` to a verdict's text, after "; " when it has some already.
void add_words(std::string& verdict, std::string_view words);

// Where the reading of `bytes` stopped at `line`, read with `read`: the
// columns of the format's fields and the bytes found there, as the input
// statements see a line (up to LF, its text ending at the first CR).
ReadFailure read_failure(std::string_view bytes, int line, std::string_view field, LineKind kind,
                         const fixrec::FormatView& read, fixrec::Status status);

template <class Record, std::size_t N>
ReadFailure read_failure(std::string_view bytes, const std::array<InputLine<Record>, N>& table,
                         const ReadResult& result) {
    const InputLine<Record>& row = table[static_cast<std::size_t>(result.line - 1)];
    return read_failure(bytes, row.line, row.name, row.kind, row.read, result.status);
}

// Held while kMemoryUnit is connected: FIXREC's units are one table for the
// whole process, so that readings and reports made on several threads at
// once (a server's requests, a notebook's threads) take turns at it.
std::mutex& memory_unit_mutex();

// Connects kMemoryUnit to `bytes` for reading, calls read(kMemoryUnit) and
// closes the unit.
template <class Read>
ReadResult read_from_memory(std::string_view bytes, Read&& read) {
    const std::lock_guard<std::mutex> lock(memory_unit_mutex());
    if (fixrec::open_memory(kMemoryUnit, bytes) != fixrec::Status::Ok) return {1, fixrec::Status::OpenFailed};
    const ReadResult result = read(kMemoryUnit);
    fixrec::close_unit(kMemoryUnit);
    return result;
}

// Connects kMemoryUnit to `bytes` (emptied) for writing, calls
// write(kMemoryUnit) and closes the unit, which completes the report.
template <class Write>
void write_to_memory(std::string& bytes, Write&& write) {
    const std::lock_guard<std::mutex> lock(memory_unit_mutex());
    bytes.clear();
    if (fixrec::open_memory_output(kMemoryUnit, bytes) != fixrec::Status::Ok) return;
    write(kMemoryUnit);
    fixrec::close_unit(kMemoryUnit);
}

}  // namespace calculators
