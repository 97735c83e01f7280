// ZARN1: its run over the shared cycle, and its Calculator.
#include "run.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "calculators/run_cycle.h"
#include "chamber.h"
#include "data_file.h"

namespace vortex_chamber {

// The bytes of examples/ZARN1.DAT, embedded at build time.
std::string_view example_data_file();

bool compute_zarn1(RunRecord& run, Messages& messages) {
    const Status status = compute_chamber(run, messages);
    if (status == Status::Ok) return true;
    messages.invalid_arithmetic(status);
    return false;
}

int run_zarn1(std::string_view path) {
    RunRecord run{};
    calculators::RunConsole console;
    Messages messages(console);
    return calculators::run_cycle({
        .path = path,
        // Without a data file, or without one to reopen, there is nothing to
        // do: no blank form, no report elsewhere.
        .on_open_failure = calculators::OnOpenFailure::Stop,
        .on_reopen_failure = calculators::OnReopenFailure::Stop,
        .open_failed =
            [&] {
                messages.open_failed();
                run.IERR = 1;
            },
        .read = [&](int unit) { return read_input(unit, run).ok(); },
        .read_failed = [&] { messages.read_failed(); },
        .compute = [&] { return compute_zarn1(run, messages); },
        .reopen_failed = [&] { messages.reopen_failed(kFileName); },
        .write_report = [&](int unit) { write_report(unit, run); },
    });
}

int run_zarn1() { return run_zarn1(kFileName); }

// ---------------------------------------------------------------------------
// The Calculator: the same steps on values in memory, and the run on any path.

namespace {

using calculators::Column;
using calculators::Outcome;
using calculators::ReadFailure;
using calculators::Value;

constexpr auto kInputFields = calculators::input_fields<calculators::value_count(kInputSection)>(kInputSection);
constexpr auto kResultFields = calculators::result_fields(kResults);

// The units of the profile tables as their headings on the report show them.
constexpr std::string_view kMetres = "м"_cp;
constexpr std::string_view kMetresPerSecond = "м/сек"_cp;
constexpr std::string_view kPascals = "Па"_cp;

RunRecord run_with_inputs(std::span<const Value> inputs) {
    RunRecord run{};
    calculators::set_inputs(kInputSection, inputs, run);
    return run;
}

bool read_section(std::string_view bytes, std::span<Value> inputs, ReadFailure& failure) {
    RunRecord run{};
    const calculators::ReadResult result =
        calculators::read_from_memory(bytes, [&](int unit) { return read_input(unit, run); });
    calculators::get_inputs(kInputSection, run, inputs);
    if (result.ok()) return true;
    failure = calculators::read_failure(bytes, kInputSection, result);
    return false;
}

// A profile table: the node radii and two profiles over the first n nodes.
std::vector<Column> profile_table(const RunRecord& run, int n, std::string_view a_name, const Profile& a,
                                  std::string_view b_name, const Profile& b, std::string_view b_unit) {
    const auto rows = static_cast<std::size_t>(std::clamp(n, 0, kNodes));
    std::vector<Column> table{{"r", kMetres, {}}, {a_name, kMetresPerSecond, {}}, {b_name, b_unit, {}}};
    for (Column& c : table) c.values.reserve(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        table[0].values.push_back(node_radius(static_cast<int>(i) + 1, run.DRK));
        table[1].values.push_back(a[i]);
        table[2].values.push_back(b[i]);
    }
    return table;
}

void compute_outcome(std::span<const Value> inputs, bool with_tables, Outcome& out) {
    out.clear();
    RunRecord run = run_with_inputs(inputs);
    calculators::CapturedConsole console(out.console, out.failure);
    Messages messages(console);
    out.valid = compute_zarn1(run, messages);
    calculators::get_results(kResults, out.valid ? run : RunRecord{}, out.results);
    if (with_tables && out.valid) {
        out.tables.push_back(profile_table(run, run.NK, "V", run.V, "P", run.P, kPascals));
        out.tables.push_back(profile_table(run, run.NITA, "U", run.U, "W", run.W, kMetresPerSecond));
    }
}

bool report_bytes(std::span<const Value> inputs, std::string& bytes) {
    bytes.clear();
    RunRecord run = run_with_inputs(inputs);
    std::vector<std::string> lines;  // the console of the computation: not wanted here
    std::string failure;
    calculators::CapturedConsole console(lines, failure);
    Messages messages(console);
    if (!compute_zarn1(run, messages)) return false;
    calculators::write_to_memory(bytes, [&](int unit) { write_report(unit, run); });
    return true;
}

int run_file(std::string_view path, std::vector<std::string> args, fixrec::ConsoleDevice* console) {
    return calculators::within_run(std::move(args), console, [path] { return run_zarn1(path); });
}

}  // namespace

const calculators::Calculator& calculator() {
    static const calculators::Calculator zarn1{
        .name = "ZARN1",
        .data_file = "ZARN1.DAT",
        .purpose = "ZARN1 computes the aerodynamics of a gas vortex chamber: the integral flow\n"
                   "parameters, the radial profiles of the velocities V, U, W and the pressure P,\n"
                   "and the refinements by the power law and by the height of the outlet.\n",
        .banner = kBanner,
        .input_lines = static_cast<int>(kInputSection.size()),
        .inputs = kInputFields,
        .results = kResultFields,
        .example = example_data_file(),
        .read = read_section,
        .compute = compute_outcome,
        .report = report_bytes,
        .run = run_file,
    };
    return zarn1;
}

}  // namespace vortex_chamber
