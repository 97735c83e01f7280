// KERVA: its steps, its two policies and its identity, from which
// calculators/program.h makes its run and its Calculator.
#include "run.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "calculators/program.h"
#include "data_file.h"
#include "efficiency.h"
#include "messages.h"
#include "run_record.h"

namespace separator {

// The bytes of examples/KERVA.DAT, embedded at build time.
std::string_view example_data_file();

namespace {

struct Steps {
    using Record = KervaRun;
    using Messages = separator::Messages;
    static constexpr const auto& inputs = kInputSection;
    static constexpr const auto& results = kResults;
    static Record new_run() { return separator::new_run(); }
    static calculators::ReadResult read_input(int unit, Record& run) { return separator::read_input(unit, run); }
    static void write_report(int unit, const Record& run) { separator::write_report(unit, run); }
    static Status compute(Record& run, Messages& messages) { return compute_efficiency(run, messages); }
    // Without a data file the blank form, and without a data file to reopen
    // the report, go to a new file the user names.
    static constexpr auto on_open_failure = calculators::OnOpenFailure::WriteBlankForm;
    static constexpr auto on_reopen_failure = calculators::OnReopenFailure::AskForFile;

    static constexpr const auto& console_results = kConsoleResults;

    // The paths of a computation (compute_efficiency): the Stokes regime
    // alone (SPC >= 10), the quadratic regime alone (BETA2 <= 1), or both and
    // the interpolation between them.
    static bool stokes(const Record& run) { return run.SPC >= 10.0f || run.BETA2 > 1.0f; }
    static bool quadratic(const Record& run) { return run.SPC < 10.0f; }
    static bool between(const Record& run) { return quadratic(run) && run.BETA2 > 1.0f; }

    static bool computed(const Record& run, std::string_view result) {
        for (const calculators::ResultLine<Record>* row : {&kKSC, &kETA1, &kETA1FR})
            if (row->name == result) return stokes(run);
        for (const calculators::ResultLine<Record>* row : {&kBETA2, &kSP2C, &kKS2C, &kBETA1, &kETA2, &kETA2FR})
            if (row->name == result) return quadratic(run);
        for (const calculators::ResultLine<Record>* row : {&kETA, &kETAM})
            if (row->name == result) return between(run);
        return true;  // VK and SPC on every path
    }

    static constexpr std::array verdicts{
        calculators::VerdictField{"regimes", "the drag regimes computed, as the titles of the report's blocks"},
        calculators::VerdictField{"answer", "the efficiency the report gives as its answer: ETA1 in the Stokes "
                                            "regime, ETA2 in the quadratic one, ETA between them"},
    };
    // The words of a result's report line: its label without the unit.
    static std::string label_of(const calculators::ResultLine<Record>& row) {
        std::string words = calculators::words_of(row.report);
        if (!row.unit.empty() && words.ends_with(row.unit)) words.resize(words.size() - row.unit.size());
        while (words.ends_with(' ')) words.pop_back();
        return words;
    }
    // The words are made once: a sweep asks for them case after case.
    static void verdicts_of(const Record& run, std::span<std::string> texts) {
        static const std::string stokes_words = calculators::words_of(kStokesTitle);
        static const std::string quadratic_words = calculators::words_of(kQuadraticTitle);
        static const std::string eta1 = label_of(kETA1), eta2 = label_of(kETA2), eta = label_of(kETA);
        if (stokes(run)) calculators::add_words(texts[0], stokes_words);
        if (quadratic(run)) calculators::add_words(texts[0], quadratic_words);
        texts[1] = between(run) ? eta : quadratic(run) ? eta2 : eta1;
    }
    static calculators::Identity identity() {
        return {
            .name = "KERVA",
            .data_file = "KERVA.DAT",
            .purpose = "KERVA computes the cleaning efficiency of a swirl separator for solid\n"
                       "particles carried by a gas or a liquid, in the Stokes or the quadratic drag\n"
                       "regime, for one particle size or a log-normal size distribution.\n",
            .banner = kBanner,
            .example = example_data_file(),
        };
    }
};

}  // namespace

const calculators::Calculator& calculator() { return calculators::calculator_of<Steps>(); }

}  // namespace separator
