// ZARN1: its steps, its two policies and its identity, from which
// calculators/program.h makes its run and its Calculator.
#include "run.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

#include "calculators/program.h"
#include "chamber.h"
#include "data_file.h"
#include "messages.h"
#include "run_record.h"

namespace vortex_chamber {

// The bytes of examples/ZARN1.DAT, embedded at build time.
std::string_view example_data_file();

// The file-name variable of the program: 30 characters, blank-padded.  The
// message of a failed reopening shows all of it, whatever file the run is on.
constexpr std::string_view kFileName = "ZARN1.DAT                     ";
static_assert(kFileName.size() == 30);

namespace {

// The units of the profile tables as their headings on the report show them.
constexpr std::string_view kMetres = "м"_cp;
constexpr std::string_view kMetresPerSecond = "м/сек"_cp;
constexpr std::string_view kPascals = "Па"_cp;

// A profile table: the node radii and two profiles over the first n nodes.
std::vector<calculators::Column> profile_table(const RunRecord& run, int n, std::string_view a_name, const Profile& a,
                                  std::string_view b_name, const Profile& b, std::string_view b_unit) {
    const auto rows = static_cast<std::size_t>(std::clamp(n, 0, kNodes));
    std::vector<calculators::Column> table{{"r", kMetres, {}}, {a_name, kMetresPerSecond, {}}, {b_name, b_unit, {}}};
    for (calculators::Column& c : table) c.values.reserve(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        table[0].values.push_back(node_radius(static_cast<int>(i) + 1, run.DRK));
        table[1].values.push_back(a[i]);
        table[2].values.push_back(b[i]);
    }
    return table;
}

struct Steps {
    using Record = RunRecord;
    using Messages = vortex_chamber::Messages;
    static constexpr const auto& inputs = kInputSection;
    static constexpr const auto& results = kResults;
    static calculators::ReadResult read_input(int unit, Record& run) { return vortex_chamber::read_input(unit, run); }
    static void write_report(int unit, const Record& run) { vortex_chamber::write_report(unit, run); }
    static Status compute(Record& run, Messages& messages) { return compute_chamber(run, messages); }
    // Without a data file, or without one to reopen, there is nothing to do:
    // no blank form, no report elsewhere.
    static constexpr auto on_open_failure = calculators::OnOpenFailure::Stop;
    static constexpr auto on_reopen_failure = calculators::OnReopenFailure::Stop;
    static void open_failed(Record& run, Messages& messages) {
        messages.open_failed();
        run.IERR = 1;
    }
    static void reopen_failed(Messages& messages) { messages.reopen_failed(kFileName); }
    static void tables(const Record& run, calculators::Outcome& out) {
        out.tables.push_back(profile_table(run, run.NK, "V", run.V, "P", run.P, kPascals));
        out.tables.push_back(profile_table(run, run.NITA, "U", run.U, "W", run.W, kMetresPerSecond));
    }

    // What a path leaves uncomputed: the power-law refinement runs for the
    // analytic vortex alone; without a solution of the equations of motion
    // (F2 <= 2) there are no V and P, and the values made from them (PVXOD
    // from PK, the height correction) are made from zeros; for NVS = 1 only
    // the solution gives RP, and a solution gives it only where its
    // pressure crosses zero.
    static bool computed(const Record& run, std::string_view result) {
        for (const ResultLine* row : {&kN, &kV1_N, &kVMAX_N, &kPK_N, &kPVXOD_N})
            if (row->name == result) return run.NVS == 0;
        if (run.pressure_zero_missed && result == kRP.name) return false;
        if (!run.motion_unsolved) return true;
        for (const ResultLine* row : {&kV1, &kNK, &kP0, &kPK, &kP1, &kVMAX, &kPVXOD, &kP0_H, &kPK_H, &kVMAX_H})
            if (row->name == result) return false;
        return result != kRP.name || run.NVS != 1;
    }

    static constexpr std::array verdicts{
        calculators::VerdictField{"refinements", "the refinements computed, as the titles of the report's blocks "
                                                 "(the report shows them for NVS = 0 only)"},
        calculators::VerdictField{"nodes", "the V and P profiles stop at 400 nodes short of the wall", true},
        calculators::VerdictField{"unsolved", "F2 <= 2: the equations of motion were not solved, no V and P",
                                  true},
    };
    // The lines a message of the steps writes, as words.
    template <class Message>
    static std::string console_words(Message message) {
        std::vector<std::string> lines;
        std::string failure;
        calculators::CapturedConsole console(lines, failure);
        Messages messages(console);
        (messages.*message)();
        std::string words;
        for (const std::string& line : lines) calculators::add_words(words, calculators::words_of(line));
        return words;
    }
    // The words are made once: a sweep asks for them case after case.
    static void verdicts_of(const Record& run, std::span<std::string> texts) {
        static const std::string power_law = calculators::words_of(kPowerLawTitle);
        static const std::string height = calculators::words_of(kHeightTitle);
        static const std::string analytic_nodes = console_words(&Messages::analytic_nodes_exceeded);
        static const std::string motion_nodes = console_words(&Messages::motion_nodes_exceeded);
        static const std::string unsolved = console_words(&Messages::flow_too_small);
        if (run.NVS == 0) calculators::add_words(texts[0], power_law);
        if (!run.motion_unsolved) calculators::add_words(texts[0], height);
        if (run.nodes_cut) texts[1] = run.NVS == 0 ? analytic_nodes : motion_nodes;
        if (run.motion_unsolved) texts[2] = unsolved;
    }
    static calculators::Identity identity() {
        return {
            .name = "ZARN1",
            .data_file = "ZARN1.DAT",
            .purpose = "ZARN1 computes the aerodynamics of a gas vortex chamber: the integral flow\n"
                       "parameters, the radial profiles of the velocities V, U, W and the pressure P,\n"
                       "and the refinements by the power law and by the height of the outlet.\n",
            .banner = kBanner,
            .example = example_data_file(),
        };
    }
};

}  // namespace

const calculators::Calculator& calculator() { return calculators::calculator_of<Steps>(); }

}  // namespace vortex_chamber
