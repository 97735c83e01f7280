// The Calculator of a program, built once from the program's own steps, so
// that the three programs share how their steps serve a tool: reading from
// bytes, computing into an Outcome, the report into memory, the run on a path.
//
// A program describes itself by a type P: its steps, its two policies and
// its identity; everything else is made here.
//
//   struct Steps {
//       using Record = FunnelRun;              // its run record
//       using Messages = drain_funnel::Messages;  // its console messages, made on a ConsoleLines
//       static constexpr const auto& inputs = kInputSection;   // its tables
//       static constexpr const auto& results = kResults;
//       static calculators::ReadResult read_input(int unit, Record& run);
//       static void write_report(int unit, const Record& run);
//       // The computation of a run whose input section was read; a status
//       // other than Ok makes it invalid, and the run then shows
//       // messages.invalid_arithmetic(status) as its exit-3 line.
//       static Status compute(Record& run, Messages& messages);
//       // What the run does when the data file cannot be opened, or opened
//       // again for the report.
//       static constexpr calculators::OnOpenFailure on_open_failure = ...;
//       static constexpr calculators::OnReopenFailure on_reopen_failure = ...;
//       // Its name, data file, purpose, banner and example.
//       static calculators::Identity identity();
//
//       // Optional.  The record at the start of a run (Record{} when absent).
//       static Record new_run();
//       // Optional.  The messages when the data file cannot be opened, or
//       // opened again (messages.open_failed() and messages.reopen_failed()
//       // when absent).
//       static void open_failed(Record& run, Messages& messages);
//       static void reopen_failed(Messages& messages);
//       // Optional.  The profile tables of a valid run, when a tool asks
//       // (Calculator::profiles says whether a program has them).
//       static void tables(const Record& run, Outcome& out);
//       // Optional.  Values that only a console line prints, as results
//       // (ResultLine::console rows); they follow the report's results.
//       static constexpr const auto& console_results = kConsoleResults;
//       // Optional.  Whether the path of a valid run computed the result of
//       // that name (every result when absent).
//       static bool computed(const Record& run, std::string_view result);
//       // Optional, together.  What the report and the console say in words,
//       // and for a valid run the program's words of each verdict it reaches
//       // (`texts` has one empty string per verdict).
//       static constexpr std::array<VerdictField, N> verdicts{...};
//       static void verdicts_of(const Record& run, std::span<std::string> texts);
//   };
//
//   const Calculator& calculator() { return calculators::calculator_of<Steps>(); }
#pragma once

#include <concepts>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calculators/calculator.h"
#include "calculators/console_lines.h"
#include "calculators/run_cycle.h"

namespace calculators {

// What a program says of itself besides its steps.
struct Identity {
    std::string_view name;       // "BILM"
    std::string_view data_file;  // "BILM.DAT"
    std::string_view purpose;    // one to three lines of English, each ending in LF (--help)
    std::string_view banner;     // the report banner's text that names the program (code page 866)
    std::string_view example;    // the bundled example data file
};

template <class P>
concept WithNewRun = requires {
    { P::new_run() } -> std::same_as<typename P::Record>;
};
template <class P>
concept WithOpenFailed = requires(typename P::Record& run, typename P::Messages& messages) {
    P::open_failed(run, messages);
};
template <class P>
concept WithReopenFailed = requires(typename P::Messages& messages) { P::reopen_failed(messages); };
template <class P>
concept WithTables = requires(const typename P::Record& run, Outcome& out) { P::tables(run, out); };

template <class P>
typename P::Record new_run_of() {
    if constexpr (WithNewRun<P>)
        return P::new_run();
    else
        return typename P::Record{};
}

// The computation step of a run: false when the inputs make it invalid, the
// exit-3 line then gone to `messages`.
template <class P>
bool compute_step(typename P::Record& run, typename P::Messages& messages) {
    const auto status = P::compute(run, messages);
    if (status == decltype(status)::Ok) return true;
    messages.invalid_arithmetic(status);
    return false;
}

// The program's run on the data file at `path` over the shared cycle, its
// messages naming its own data file whatever the path.  Call it between
// fixrec::begin_run and end_run (within_run).
template <class P>
int run_program(std::string_view path) {
    typename P::Record run = new_run_of<P>();
    RunConsole console;
    typename P::Messages messages(console);
    return run_cycle({
        .path = path,
        .on_open_failure = P::on_open_failure,
        .on_reopen_failure = P::on_reopen_failure,
        .open_failed =
            [&] {
                if constexpr (WithOpenFailed<P>)
                    P::open_failed(run, messages);
                else
                    messages.open_failed();
            },
        .read = [&](int unit) { return P::read_input(unit, run).ok(); },
        .read_failed = [&] { messages.read_failed(); },
        .compute = [&] { return compute_step<P>(run, messages); },
        .reopen_failed =
            [&] {
                if constexpr (WithReopenFailed<P>)
                    P::reopen_failed(messages);
                else
                    messages.reopen_failed();
            },
        .write_report = [&](int unit) { P::write_report(unit, run); },
    });
}

template <class P>
concept WithConsoleResults = requires { P::console_results; };
template <class P>
concept WithComputed = requires(const typename P::Record& run) {
    { P::computed(run, std::string_view()) } -> std::same_as<bool>;
};
template <class P>
concept WithVerdicts = requires(const typename P::Record& run, std::span<std::string> texts) {
    P::verdicts;
    P::verdicts_of(run, texts);
};

template <class P>
constexpr auto result_fields_of() {
    if constexpr (WithConsoleResults<P>)
        return calculators::result_fields(P::results, P::console_results);
    else
        return calculators::result_fields(P::results);
}

template <class P>
constexpr std::span<const VerdictField> verdicts_of() {
    if constexpr (WithVerdicts<P>)
        return P::verdicts;
    else
        return {};
}

template <class P>
struct ProgramSteps {
    using Record = typename P::Record;

    static constexpr auto input_fields = calculators::input_fields<value_count(P::inputs)>(P::inputs);
    static constexpr auto result_fields = result_fields_of<P>();

    // The results, their flags and the verdicts of a computation (every
    // result zero and not computed, no verdict, when it was invalid).
    static void outcome_of(const Record& run, bool valid, Outcome& out) {
        get_results(P::results, run, out.results);
        if constexpr (WithConsoleResults<P>) append_results(P::console_results, run, out.results);
        out.computed.assign(out.results.size(), valid);
        if constexpr (WithComputed<P>)
            if (valid)
                for (std::size_t k = 0; k < result_fields.size(); ++k)
                    out.computed[k] = P::computed(run, result_fields[k].name);
        out.verdicts.assign(verdicts_of<P>().size(), std::string());
        if constexpr (WithVerdicts<P>)
            if (valid) P::verdicts_of(run, out.verdicts);
    }

    static Record with_inputs(std::span<const Value> inputs) {
        Record run = new_run_of<P>();
        set_inputs(P::inputs, inputs, run);
        return run;
    }

    static bool read(std::string_view bytes, std::span<Value> inputs, ReadFailure& failure) {
        Record run{};
        const ReadResult result = read_from_memory(bytes, [&](int unit) { return P::read_input(unit, run); });
        get_inputs(P::inputs, run, inputs);
        if (result.ok()) return true;
        failure = read_failure(bytes, P::inputs, result);
        return false;
    }

    static void compute(std::span<const Value> inputs, bool with_tables, Outcome& out) {
        out.clear();
        Record run = with_inputs(inputs);
        CapturedConsole console(out.console, out.failure);
        typename P::Messages messages(console);
        out.valid = compute_step<P>(run, messages);
        if (out.valid)
            outcome_of(run, true, out);
        else
            outcome_of(Record{}, false, out);
        if constexpr (WithTables<P>)
            if (with_tables && out.valid) P::tables(run, out);
    }

    static bool report(std::span<const Value> inputs, std::string& bytes) {
        bytes.clear();
        Record run = with_inputs(inputs);
        std::vector<std::string> lines;  // the console of the computation: not wanted here
        std::string failure;
        CapturedConsole console(lines, failure);
        typename P::Messages messages(console);
        if (!compute_step<P>(run, messages)) return false;
        write_to_memory(bytes, [&](int unit) { P::write_report(unit, run); });
        return true;
    }

    static int run(std::string_view path, std::vector<std::string> args, fixrec::ConsoleDevice* console) {
        return within_run(std::move(args), console, [path] { return run_program<P>(path); });
    }
};

template <class P>
Calculator make_calculator(const Identity& id) {
    using S = ProgramSteps<P>;
    return Calculator{
        .name = id.name,
        .data_file = id.data_file,
        .purpose = id.purpose,
        .banner = id.banner,
        .input_lines = static_cast<int>(P::inputs.size()),
        .inputs = S::input_fields,
        .results = S::result_fields,
        .verdicts = verdicts_of<P>(),
        .example = id.example,
        .profiles = WithTables<P>,
        .read = S::read,
        .compute = S::compute,
        .report = S::report,
        .run = S::run,
    };
}

// The Calculator of P, made on first use.
template <class P>
const Calculator& calculator_of() {
    static const Calculator calculator = make_calculator<P>(P::identity());
    return calculator;
}

}  // namespace calculators
