// swirl show FILE: the inputs of a data file, the results the program
// computes from them and its console, in UTF-8; FILE is not written.
//
// Every value is shown as the report prints it (swirl::printed: the report's
// own edit of that line, blanks trimmed), so the text is what the program's
// report would show; --json adds the exact single-precision value.  A result
// that the path of the run did not compute is no number: "not computed", and
// null in JSON.  The verdicts (what the report and the console say in words)
// follow the results, in the program's words.
#include <iostream>

#include "data_files.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/json_out.h"
#include "swirl/api/show_json.h"
#include "swirl/api/values.h"
#include "text_table.h"

namespace swirl {

namespace {

using calculators::Outcome;
using nlohmann::ordered_json;

constexpr std::string_view kNotComputed = "not computed";

bool is_computed(const Outcome& out, std::size_t k) { return k < out.computed.size() && out.computed[k]; }

const std::string& verdict_text(const Outcome& out, std::size_t k) {
    static const std::string none;
    return k < out.verdicts.size() ? out.verdicts[k] : none;
}


std::string text_report(const DataFile& file, const std::vector<Value>& inputs, const Outcome& out) {
    const Calculator& calc = *file.calc;
    std::string s(calc.name);
    s += " data file " + file.path + "\n\n";
    std::vector<std::vector<std::string>> rows{{"line", "input", "value", "unit", "meaning"}};
    for (std::size_t k = 0; k < calc.inputs.size(); ++k) {
        const Field& f = calc.inputs[k];
        rows.push_back({std::to_string(f.line), std::string(f.name), printed(f, inputs[k]), to_utf8(f.unit),
                        std::string(f.meaning)});
    }
    s += aligned(rows, "rlrll");
    if (out.valid) {
        rows = {{"result", "value", "unit", "meaning"}};
        for (std::size_t k = 0; k < calc.results.size(); ++k) {
            const Field& f = calc.results[k];
            rows.push_back({std::string(f.name),
                            is_computed(out, k) ? printed(f, out.results[k]) : std::string(kNotComputed),
                            to_utf8(f.unit), std::string(f.meaning)});
        }
        s += "\n" + aligned(rows, "lrll");
        // A line for each verdict the run reaches.
        std::string said;
        for (std::size_t k = 0; k < calc.verdicts.size(); ++k)
            if (!verdict_text(out, k).empty())
                said += std::string(calc.verdicts[k].name) + ": " + to_utf8(verdict_text(out, k)) + "\n";
        if (!said.empty()) s += "\n" + said;
    }
    if (out.console.empty() && out.valid) return s + "\nconsole: nothing\n";
    s += "\nconsole:\n";
    for (const std::string& line : out.console) s += to_utf8(line) + "\n";
    if (!out.valid) s += to_utf8(out.failure) + "\n";
    return s;
}

}  // namespace

void add_show(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::optional<std::string> program;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* show = app.add_subcommand(
        "show",
        "Show FILE's inputs, the results the program computes from them and its console, in UTF-8.\n"
        "FILE is not written. "
        "Exit 2: FILE cannot be read (the line and the field are named); 3: the inputs make the computation invalid.\n"
        "Example: swirl show BILM.DAT");
    show->add_option("FILE", o->file, "the data file")->required();
    add_program_option(*show, o->program);
    show->add_flag("--json", o->json,
                   "one JSON object: program, file, status, inputs, results (null where the run's path does "
                   "not compute one), verdicts, warnings, messages (reason, profiles); numbers exact");
    show->callback([&action, o] {
        action = [o] {
            const DataFile file = open_data_file(o->file, o->program);
            const std::vector<Finding>& findings = file.findings;
            if (!file.reads()) {
                if (o->json) {
                    ordered_json doc = unreadable_document(file);
                    add_warnings(doc, findings);
                    std::cout << dump_json(doc) << '\n';
                }
                warn(file);
                throw file.unreadable();
            }
            warn(file);
            const std::vector<Value>& inputs = file.values;
            const Outcome out = compute(file, o->json);
            if (o->json) {
                ordered_json doc = show_document(file, inputs, out);
                add_warnings(doc, findings);
                std::cout << dump_json(doc) << '\n';
            } else
                std::cout << text_report(file, inputs, out);
            std::cout.flush();
            if (!out.valid)
                throw computation_invalid(file);
            return kExitOk;
        };
    });
}

}  // namespace swirl
