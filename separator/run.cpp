// KERVA: its run over the shared cycle, and its Calculator.
#include "run.h"

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "calculators/run_cycle.h"
#include "data_file.h"
#include "efficiency.h"

namespace separator {

// The bytes of examples/KERVA.DAT, embedded at build time.
std::string_view example_data_file();

bool compute_kerva(KervaRun& run, Messages& messages) {
    const Status status = compute_efficiency(run, messages);
    if (status == Status::Ok) return true;
    messages.invalid_arithmetic(status);
    return false;
}

int run_kerva(std::string_view path) {
    KervaRun run = new_run();
    calculators::RunConsole console;
    Messages messages(console);
    return calculators::run_cycle({
        .path = path,
        // Without a data file the blank form, and without a data file to
        // reopen the report, go to a new file the user names.
        .on_open_failure = calculators::OnOpenFailure::WriteBlankForm,
        .on_reopen_failure = calculators::OnReopenFailure::AskForFile,
        .open_failed = [&] { messages.open_failed(); },
        .read = [&](int unit) { return read_input(unit, run).ok(); },
        .read_failed = [&] { messages.read_failed(); },
        .compute = [&] { return compute_kerva(run, messages); },
        .reopen_failed = [&] { messages.reopen_failed(); },
        .write_report = [&](int unit) { write_report(unit, run); },
    });
}

int run_kerva() { return run_kerva(kFileName); }

// ---------------------------------------------------------------------------
// The Calculator: the same steps on values in memory, and the run on any path.

namespace {

using calculators::Outcome;
using calculators::ReadFailure;
using calculators::Value;

constexpr auto kInputFields = calculators::input_fields<calculators::value_count(kInputSection)>(kInputSection);
constexpr auto kResultFields = calculators::result_fields(kResults);

KervaRun run_with_inputs(std::span<const Value> inputs) {
    KervaRun run = new_run();
    calculators::set_inputs(kInputSection, inputs, run);
    return run;
}

bool read_section(std::string_view bytes, std::span<Value> inputs, ReadFailure& failure) {
    KervaRun run{};
    const calculators::ReadResult result =
        calculators::read_from_memory(bytes, [&](int unit) { return read_input(unit, run); });
    calculators::get_inputs(kInputSection, run, inputs);
    if (result.ok()) return true;
    failure = calculators::read_failure(bytes, kInputSection, result);
    return false;
}

// KERVA has no profile tables: `with_tables` asks for nothing.
void compute_outcome(std::span<const Value> inputs, bool /*with_tables*/, Outcome& out) {
    out.clear();
    KervaRun run = run_with_inputs(inputs);
    calculators::CapturedConsole console(out.console, out.failure);
    Messages messages(console);
    out.valid = compute_kerva(run, messages);
    calculators::get_results(kResults, out.valid ? run : KervaRun{}, out.results);
}

bool report_bytes(std::span<const Value> inputs, std::string& bytes) {
    bytes.clear();
    KervaRun run = run_with_inputs(inputs);
    std::vector<std::string> lines;  // the console of the computation: not wanted here
    std::string failure;
    calculators::CapturedConsole console(lines, failure);
    Messages messages(console);
    if (!compute_kerva(run, messages)) return false;
    calculators::write_to_memory(bytes, [&](int unit) { write_report(unit, run); });
    return true;
}

int run_file(std::string_view path, std::vector<std::string> args, fixrec::ConsoleDevice* console) {
    return calculators::within_run(std::move(args), console, [path] { return run_kerva(path); });
}

}  // namespace

const calculators::Calculator& calculator() {
    static const calculators::Calculator kerva{
        .name = "KERVA",
        .data_file = "KERVA.DAT",
        .purpose = "KERVA computes the cleaning efficiency of a swirl separator for solid\n"
                   "particles carried by a gas or a liquid, in the Stokes or the quadratic drag\n"
                   "regime, for one particle size or a log-normal size distribution.\n",
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
    return kerva;
}

}  // namespace separator
