// KERVA: its run over the shared cycle, and its Calculator.
#include "run.h"

#include "calculators/program.h"
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

// ---------------------------------------------------------------------------
// The run over the shared cycle, and the Calculator: the same steps on values
// in memory, and the run on any path.

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
    // Without a data file the blank form, and without a data file to reopen
    // the report, go to a new file the user names.
    static constexpr auto on_open_failure = calculators::OnOpenFailure::WriteBlankForm;
    static constexpr auto on_reopen_failure = calculators::OnReopenFailure::AskForFile;
    static void open_failed(Record&, Messages& messages) { messages.open_failed(); }
    static void reopen_failed(Messages& messages) { messages.reopen_failed(); }
    static void tables(const Record&, calculators::Outcome&) {}  // no profile tables
};

}  // namespace

int run_kerva(std::string_view path) { return calculators::run_program<Steps>(path); }

int run_kerva() { return run_kerva(kFileName); }

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
