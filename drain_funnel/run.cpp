// BILM: its steps, its two policies and its identity, from which
// calculators/program.h makes its run and its Calculator.
#include "run.h"

#include <array>
#include <span>
#include <string>

#include "calculators/program.h"
#include "data_file.h"
#include "funnel.h"
#include "messages.h"
#include "run_record.h"

namespace drain_funnel {

// The bytes of examples/BILM.DAT, embedded at build time.
std::string_view example_data_file();

namespace {

struct Steps {
    using Record = FunnelRun;
    using Messages = drain_funnel::Messages;
    static constexpr const auto& inputs = kInputSection;
    static constexpr const auto& results = kResults;
    static Record new_run() { return drain_funnel::new_run(); }
    static calculators::ReadResult read_input(int unit, Record& run) { return drain_funnel::read_input(unit, run); }
    static void write_report(int unit, const Record& run) { drain_funnel::write_report(unit, run); }
    static Status compute(Record& run, Messages&) { return compute_funnel(run); }
    // Without a data file the blank form, and without a data file to reopen
    // the report, go to a new file the user names.
    static constexpr auto on_open_failure = calculators::OnOpenFailure::WriteBlankForm;
    static constexpr auto on_reopen_failure = calculators::OnReopenFailure::AskForFile;

    // Every path that ends in a report computes HO, RV and VMAX; when the
    // funnel reaches the outlet the report says so and gives HO alone.
    static constexpr std::array verdicts{
        calculators::VerdictField{"outlet", "the funnel reaches the outlet (HO >= HG): the report gives HO alone"},
    };
    // The words of the report's line without the label of its value.
    static std::string outlet_words() {
        std::string words = calculators::words_of(kReachedOutlet);
        const std::string_view name = kHO.name;
        if (words.ends_with("=") && std::string_view(words).substr(0, words.size() - 1).ends_with(name))
            words.resize(words.size() - 1 - name.size());
        while (words.ends_with(' ')) words.pop_back();
        return words;
    }
    static void verdicts_of(const Record& run, std::span<std::string> texts) {
        static const std::string outlet = outlet_words();  // once: a sweep asks case after case
        if (run.HO >= run.HG) texts[0] = outlet;
    }
    static calculators::Identity identity() {
        return {
            .name = "BILM",
            .data_file = "BILM.DAT",
            .purpose = "BILM computes the vortex funnel over the drain hole of a tank fed by a\n"
                       "swirling make-up flow: its depth HO, its radius RV at half depth and the\n"
                       "maximum rotation speed VMAX.\n",
            .banner = kBanner,
            .example = example_data_file(),
        };
    }
};

}  // namespace

const calculators::Calculator& calculator() { return calculators::calculator_of<Steps>(); }

}  // namespace drain_funnel
