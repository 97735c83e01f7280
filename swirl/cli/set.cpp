// swirl set FILE NAME=VALUE...: values written into their fields by the
// report's own edit, every other byte of FILE kept, all or nothing.  A file
// whose labels do not match its lines (a line inserted or removed by hand),
// a UTF-8 file or another program's report is not written (exit 2): the
// value would go to another input than the one named.
#include <iostream>

#include "data_files.h"
#include "fixrec/input_record.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/api/values.h"

namespace swirl {

namespace {

std::string trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// "Q: .10000E-02 -> .12346E+00", with a note when the field does not hold
// the typed value exactly.
std::string change_line(const Calculator& calc, std::string_view before, const Assignment& a) {
    const Field& field = calc.inputs[a.input];
    std::string old_field = trimmed(to_utf8(field_text(before, field)));
    if (old_field.empty()) old_field = "(blank)";
    std::string line = std::string(field.name) + ": " + old_field + " -> " + trimmed(a.held.field);
    // A value that underflows to zero is not what was typed either.
    const bool exact = a.held.exact && !(field.type == calculators::ValueType::Real && a.held.value.real == 0.0f &&
                                         parse_plain_decimal(a.typed).value_or(0) != 0);
    if (!exact) {
        const std::string holds = field.type == calculators::ValueType::Integer
                                      ? std::to_string(a.held.value.integer)
                                      : shortest(a.held.value.real);
        line += " (not exact: the field holds " + holds + ", not " + a.typed + ")";
    }
    return line;
}

// The results below the input section are the last run's until the next
// run: said when the file has lines after its input section.
bool has_results(const Calculator& calc, std::string_view bytes) {
    const std::optional<fixrec::InputRecord> last = fixrec::find_record(bytes, calc.input_lines);
    return last && bytes.find_first_not_of(" \t\r\n", last->next) != std::string_view::npos;
}

}  // namespace

void add_set(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> assignments;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* set = app.add_subcommand(
        "set",
        "Write values into FILE's input fields by name, as the report prints them.\n"
        "Every other byte of FILE stays. All or nothing: one refused value (exit 64) and nothing is written.\n"
        "Example: swirl set BILM.DAT Q=0.002 upod=0.05");
    set->add_option("FILE", o->file, "the data file")->required();
    set->add_option("NAME=VALUE", o->assignments,
                    "an input by name (any case) and a plain decimal number (0.0025, -3, 2.5e-3)")
        ->required();
    add_program_option(*set, o->program);
    set->callback([&action, o] {
        action = [o] {
            const DataFile file = open_data_file(o->file, o->program);
            const Calculator& calc = *file.calc;
            const std::vector<Assignment> assignments = parse_assignments(calc, o->assignments);
            write_back(file, set_values(file, assignments));
            for (const Assignment& a : assignments) std::cout << change_line(calc, file.bytes, a) << '\n';
            // On standard error: standard output stays one line a value.
            if (has_results(calc, file.bytes)) {
                std::cout.flush();
                std::cerr << "swirl: note: " << file.path << ": the results below the inputs are still the last run's ("
                          << "swirl run " << file.path << " computes them anew)\n";
            }
            return kExitOk;
        };
    });
}

}  // namespace swirl
