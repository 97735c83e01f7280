// swirl fields PROGRAM: the program's tables of inputs and results as a
// person reads them: line, name, columns, read format, report field, unit
// (UTF-8) and meaning.  --markdown prints the tables that the guides
// (docs/<PROGRAM>.md) hold, and a test keeps the two the same.
#include <iostream>

#include "command.h"
#include "swirl/core/cp866_text.h"
#include "text_table.h"

namespace swirl {

namespace {

std::string columns(int first, int last) {
    return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
}

// "E12.5", "F11.4", "I1".
std::string descriptor_text(const fixrec::Descriptor& d) {
    switch (d.kind) {
        case fixrec::DescKind::E: return "E" + std::to_string(d.w) + "." + std::to_string(d.d);
        case fixrec::DescKind::F: return "F" + std::to_string(d.w) + "." + std::to_string(d.d);
        case fixrec::DescKind::I: return "I" + std::to_string(d.w);
        default: return "A" + std::to_string(d.w);
    }
}

std::vector<std::string> input_row(const Field& f) {
    const FieldPlace p = field_place(f);
    return {std::to_string(f.line), std::string(f.name), columns(p.read_first, p.read_last),
            std::string(f.read.source()), descriptor_text(p.report), to_utf8(f.unit), std::string(f.meaning)};
}

// A result is only written: its columns are those of the report line; a
// value that only a console line prints has none.
std::vector<std::string> result_row(const Field& f) {
    if (f.shown == calculators::Shown::Console)
        return {std::string(f.name), "console", "list", to_utf8(f.unit), std::string(f.meaning)};
    const FieldPlace p = field_place(f);
    return {std::string(f.name), columns(p.report_first, p.report_last), descriptor_text(p.report), to_utf8(f.unit),
            std::string(f.meaning)};
}

std::string in_code(const std::string& s) { return s.empty() ? s : "`" + s + "`"; }

std::string markdown(const Calculator& calc) {
    std::string s = "Inputs: the value lines of the " + std::to_string(calc.input_lines) +
                    "-line input section (the other lines are not read as values).\n\n";
    s += markdown_row({"line", "name", "columns", "read as", "report field", "unit", "meaning"});
    s += "|---|---|---|---|---|---|---|\n";
    for (const Field& f : calc.inputs) {
        std::vector<std::string> row = input_row(f);
        for (const std::size_t k : {1u, 3u, 4u}) row[k] = in_code(row[k]);
        s += markdown_row(row);
    }
    s += "\nResults of the report (columns of the report line):\n\n";
    s += markdown_row({"name", "columns", "report field", "unit", "meaning"});
    s += "|---|---|---|---|---|\n";
    for (const Field& f : calc.results) {
        std::vector<std::string> row = result_row(f);
        for (const std::size_t k : {0u, 2u}) row[k] = in_code(row[k]);
        s += markdown_row(row);
    }
    return s;
}

std::string text(const Calculator& calc) {
    std::vector<std::vector<std::string>> rows{{"line", "input", "columns", "read as", "report", "unit", "meaning"}};
    for (const Field& f : calc.inputs) rows.push_back(input_row(f));
    std::string s = std::string(calc.data_file) + ": " + std::to_string(calc.input_lines) +
                    "-line input section, its values:\n\n" + aligned(rows, "rllllll");
    rows = {{"result", "columns", "report", "unit", "meaning"}};
    for (const Field& f : calc.results) rows.push_back(result_row(f));
    return s + "\nresults of the report:\n\n" + aligned(rows, "lllll");
}

}  // namespace

void add_fields(CLI::App& app, Action& action) {
    struct Options {
        std::string program;
        bool markdown = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "fields",
        "List PROGRAM's inputs and results with their lines, columns, formats, units and meanings.\n"
        "Each input: line, name, columns, read format, report field, unit, meaning; then the results.\n"
        "Example: swirl fields BILM");
    cmd->add_option("PROGRAM", o->program, "BILM, KERVA or ZARN1 (any case)")->required();
    cmd->add_flag("--markdown", o->markdown, "Markdown tables, as the guides docs/<PROGRAM>.md hold them");
    cmd->callback([&action, o] {
        action = [o] {
            const Calculator* calc = find_program(o->program);
            if (calc == nullptr) throw UsageError(unknown_program(o->program));
            std::cout << (o->markdown ? markdown(*calc) : text(*calc));
            return kExitOk;
        };
    });
}

}  // namespace swirl
