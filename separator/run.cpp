// KERVA: its run over the shared cycle, and its Calculator.
#include "run.h"


#include "calculators/program.h"
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

struct Steps {
    using Record = KervaRun;
    using Messages = separator::Messages;
    static constexpr const auto& inputs = kInputSection;
    static constexpr const auto& results = kResults;
    static Record new_run() { return separator::new_run(); }
    static calculators::ReadResult read_input(int unit, Record& run) { return separator::read_input(unit, run); }
    static void write_report(int unit, const Record& run) { separator::write_report(unit, run); }
    static bool compute(Record& run, Messages& messages) { return compute_kerva(run, messages); }
    static int run(std::string_view path) { return run_kerva(path); }
    static void tables(const Record&, calculators::Outcome&) {}  // no profile tables
};

}  // namespace

const calculators::Calculator& calculator() {
    static const calculators::Calculator kerva = calculators::make_calculator<Steps>({
        .name = "KERVA",
        .data_file = "KERVA.DAT",
        .purpose = "KERVA computes the cleaning efficiency of a swirl separator for solid\n"
                   "particles carried by a gas or a liquid, in the Stokes or the quadratic drag\n"
                   "regime, for one particle size or a log-normal size distribution.\n",
        .banner = kBanner,
        .example = example_data_file(),
    });
    return kerva;
}

}  // namespace separator
