// swirl solve FILE --find NAME=LO:HI[:log] --target RESULT=VALUE: the pairs of
// neighbouring held values of one input between which a result passes a
// target (swirl/design/solve.h); FILE is written only with --write.
#include <unistd.h>

#include <charconv>
#include <iostream>
#include <memory>

#include "data_files.h"
#include "fixrec/posix.h"
#include "swirl/api/values.h"
#include "swirl/core/json_out.h"
#include "swirl/core/numbers.h"
#include "swirl/core/progress.h"
#include "swirl/design/render.h"
#include "swirl/design/solve.h"

namespace swirl {

namespace {

std::int64_t parse_scan(const std::string& text) {
    if (text == "all") return SolveProblem::kScanAll;
    std::int64_t n = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        throw UsageError("--scan " + text + ": expected a whole number of points or all");
    return n;
}

}  // namespace

void add_solve(CLI::App& app, Action& action) {
    struct Options {
        std::string file, find, target, scan = "1000";
        bool json = false, write = false, no_progress = false;
        std::optional<int> root;
        unsigned jobs = 0;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "solve",
        "Find where a result passes a target as one input runs over a range, every other input as FILE holds it.\n"
        "The input takes the values its field holds (as swirl set writes them), so a result is a step function of "
        "it: each crossing is a pair of neighbouring held values whose results lie on different sides of the "
        "target. A scan of N points is refined by bisection down to neighbours; crossings closer than the scan "
        "step may be missed unless --scan all. Cases that are invalid or do not compute the result are gaps: a "
        "change of side across them is listed apart. Exit 4 when there is no crossing.\n"
        "Example:\n"
        "  swirl solve BILM.DAT --find Q=0.0001:0.01:log --target HO=0.2");
    command->add_option("FILE", o->file, "the data file that holds every other input")->required();
    command->add_option("--find", o->find, "NAME=LO:HI: the input and its range; :log spaces the scan on a log scale")
        ->required();
    command->add_option("--target", o->target, "RESULT=VALUE: the result and the value it should pass")->required();
    command->add_option("--scan", o->scan, "N points scanned (default 1000, at least 2), or all: every held value "
                                           "of the range (at most 100000000)");
    command->add_flag("--json", o->json, "one JSON document");
    command->add_flag("--write", o->write, "write the nearer value of the crossing into FILE, as swirl set does");
    command->add_option("--root", o->root, "K: with several crossings, the K-th (1-based, in the order of the input)")
        ->check(CLI::PositiveNumber.description(""));
    command->add_option("--jobs", o->jobs, "threads of the scan, 1 to 1024 (default: one per core)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    add_program_option(*command, o->program);
    command->add_flag("--no-progress", o->no_progress, "no progress line on a terminal");
    command->callback([&action, o] {
        action = [o] {
            SolveProblem p;
            p.find = parse_range(o->find, "--find");
            p.target = parse_target(o->target);
            p.scan = parse_scan(o->scan);
            p.jobs = o->jobs;
            if (o->root && !o->write) throw UsageError("--root goes with --write");
            const DataFile file = open_data_file(o->file, o->program);
            warn(file);
            p.calc = file.calc;
            p.base = file.inputs();
            // The line is drawn once the scan's size is known; the
            // refinement's cases come on top of it.
            const bool terminal = !o->no_progress && fixrec::posix::is_terminal(STDERR_FILENO);
            std::unique_ptr<Progress> line;
            const SolveResult r = solve(p, [&](std::int64_t done, std::int64_t expected) {
                if (!line) line = std::make_unique<Progress>(expected, terminal);
                line->update(done);
            });
            if (line) line->finish();
            if (r.status == SolveResult::Status::Invalid) throw computation_invalid(file);
            std::optional<std::size_t> chosen;
            if (o->write && !r.crossings.empty()) {
                if (r.crossings.size() > 1 && !o->root) {
                    std::string list;
                    for (std::size_t k = 0; k < r.crossings.size(); ++k) {
                        const Crossing& c = r.crossings[k];
                        list += (k ? ", " : "") + std::to_string(k + 1) + ": " +
                                exact_text(file.calc->inputs[r.input], (c.upper_nearer ? c.upper : c.lower).input.value);
                    }
                    throw UsageError(std::to_string(r.crossings.size()) + " crossings (" + list +
                                     "): give --root K to write one; nothing written");
                }
                const std::size_t k = o->root ? static_cast<std::size_t>(*o->root) : 1;
                if (k > r.crossings.size())
                    throw UsageError("--root " + std::to_string(k) + ": there are " +
                                     std::to_string(r.crossings.size()) + " crossings; nothing written");
                chosen = k - 1;
            }
            if (chosen) {
                const Crossing& c = r.crossings[*chosen];
                const Value v = (c.upper_nearer ? c.upper : c.lower).input.value;
                const Field& field = file.calc->inputs[r.input];
                Assignment a;
                a.input = r.input;
                a.typed = exact_text(field, v);
                a.held = hold(field, field.type == calculators::ValueType::Integer ? static_cast<double>(v.integer)
                                                                                   : static_cast<double>(v.real));
                const std::vector<Assignment> assignments{a};
                write_back(file, set_values(file, assignments));
            }
            if (o->json)
                std::cout << dump_json(solve_json(*file.calc, file.path, p, r)) << '\n';
            else
                std::cout << solve_text(*file.calc, file.path, p, r);
            if (chosen) {
                const Field& field = file.calc->inputs[r.input];
                const Crossing& c = r.crossings[*chosen];
                std::cout.flush();
                std::cerr << "swirl: " << file.path << ": " << field.name << " written: "
                          << (c.upper_nearer ? c.upper : c.lower).input.printed << '\n';
            }
            return r.crossings.empty() ? kExitNoSolution : kExitOk;
        };
    });
}

}  // namespace swirl
