#include "swirl/study/case_list.h"

#include "fixrec/ascii.h"
#include "swirl/core/csv.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_text.h"
#include "swirl/study/cases.h"

namespace swirl {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

CaseList read_case_list(const Calculator& calc, std::string_view text, std::string_view name) {
    const std::string list(name);
    CsvRecords records;
    try {
        records = read_csv_records(text);
    } catch (const CsvError& e) {
        throw UsageError(list + ": " + e.what());
    }
    std::vector<std::string> names;
    for (const Field& f : calc.inputs) names.emplace_back(f.name);
    for (const Field& f : calc.results) names.emplace_back(f.name);

    CaseList cases;
    std::vector<bool> seen(calc.inputs.size(), false);
    for (std::size_t c = 0; c < records.columns.size(); ++c) {
        const std::string column(trimmed(records.columns[c]));
        const std::string where = list + ": column " + std::to_string(c + 1);
        if (column.empty()) throw UsageError(where + " has no name");
        std::size_t input = calc.inputs.size();
        for (std::size_t i = 0; i < calc.inputs.size(); ++i)
            if (fixrec::equal_ignoring_case(calc.inputs[i].name, column)) input = i;
        if (input == calc.inputs.size()) {
            for (const Field& f : calc.results)
                if (fixrec::equal_ignoring_case(f.name, column))
                    throw UsageError(where + ": " + column + " is a result of " + std::string(calc.name) +
                                     ", not an input (its inputs: " + input_names(calc) + ")");
            const std::string hint = did_you_mean(column, names);
            throw UsageError(where + ": " + std::string(calc.name) + " has no input " + column + " (" +
                             (hint.empty() ? "" : hint + " ") + "its inputs: " + input_names(calc) + ")");
        }
        if (seen[input]) throw UsageError(where + ": " + std::string(calc.inputs[input].name) + " is named twice");
        seen[input] = true;
        cases.inputs.push_back(input);
    }
    if (records.rows.empty()) throw UsageError(list + ": no cases (a header and no rows)");

    cases.rows.reserve(records.rows.size());
    for (std::size_t r = 0; r < records.rows.size(); ++r) {
        const std::vector<std::string>& cells = records.rows[r];
        const std::string row = list + ": row " + std::to_string(r + 1) + " (line " + std::to_string(records.lines[r]) + ")";
        if (cells.size() > cases.inputs.size())
            throw UsageError(row + ": " + std::to_string(cells.size()) + " cells, the header has " +
                             std::to_string(cases.inputs.size()));
        CaseList::Row out;
        for (std::size_t c = 0; c < cases.inputs.size(); ++c) {
            const Field& field = calc.inputs[cases.inputs[c]];
            const std::string at = row + ", column " + std::string(field.name) + ": ";
            if (c >= cells.size())
                throw UsageError(at + "missing (the row has " + std::to_string(cells.size()) + " of the header's " +
                                 std::to_string(cases.inputs.size()) + " cells)");
            const std::string_view cell = trimmed(cells[c]);
            if (cell.empty()) throw UsageError(at + "empty");
            const std::optional<double> v = parse_plain_decimal(cell);
            if (!v) throw UsageError(at + "\"" + std::string(cell) + "\" is not a number");
            Value held;
            try {
                held = hold(field, *v).value;
            } catch (const UsageError& e) {
                throw UsageError(at + std::string(cell) + ": " + e.what());
            }
            out.values.push_back(held);
            out.texts.emplace_back();
            append_value_text(out.texts.back(), field, held);
        }
        cases.rows.push_back(std::move(out));
    }
    return cases;
}

}  // namespace swirl
