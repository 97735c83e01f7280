// swirl optimize FILE --vary NAME=LO:HI[:log]... --minimize|--maximize RESULT
// [--subject-to "RESULT>=VALUE"]...: the best feasible point over held values
// (swirl/design/optimize.h) with its certificate; FILE is written only with
// --write.
#include <unistd.h>

#include <iostream>
#include <memory>

#include "data_files.h"
#include "fixrec/posix.h"
#include "swirl/api/values.h"
#include "swirl/core/json_out.h"
#include "swirl/core/progress.h"
#include "swirl/design/optimize.h"
#include "swirl/design/render.h"

namespace swirl {

void add_optimize(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> vary, subject_to;
        std::optional<std::string> minimize, maximize;
        std::int64_t evaluations = OptimizeProblem::kDefaultEvaluations;
        std::uint64_t seed = 1;
        bool json = false, write = false, no_progress = false;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "optimize",
        "Minimise or maximise a result over a box of inputs under constraints on results, every other input as "
        "FILE holds it.\n"
        "Every point is taken as the fields hold it (as swirl set writes it). A global search (NLopt's ISRES, "
        "seeded) and a local one (COBYLA) share the evaluations; then a search over neighbouring held values "
        "makes the answer exact: no neighbour (each input one held step up or down) is feasible and better, and "
        "the output lists them. Invalid cases and cases that do not compute a result needed are infeasible. "
        "Exit 4 when no feasible point is found.\n"
        "Example:\n"
        "  swirl optimize BILM.DAT --vary Q=0.0001:0.01:log --maximize Q --subject-to \"HO<=0.2\"");
    command->add_option("FILE", o->file, "the data file that holds every other input")->required();
    command->add_option("--vary", o->vary, "NAME=LO:HI: an input and its range; :log searches it on a log scale. "
                                           "Repeat for several inputs.")
        ->take_all();
    command->add_option("--minimize", o->minimize, "RESULT: the result (or an input) to make as small as possible");
    command->add_option("--maximize", o->maximize, "RESULT: the result (or an input) to make as large as possible");
    command->add_option("--subject-to", o->subject_to, "\"RESULT>=VALUE\" or \"RESULT<=VALUE\"; repeat for several")
        ->take_all();
    command->add_option("--evaluations", o->evaluations,
                        "distinct points of the global and local stages (default 2000; the search over neighbours "
                        "and the certificate come on top)");
    command->add_option("--seed", o->seed, "the seed of the global stage (default 1): the same seed, the same answer");
    command->add_flag("--json", o->json, "one JSON document");
    command->add_flag("--write", o->write, "write the answer's inputs into FILE, as swirl set does");
    add_program_option(*command, o->program);
    command->add_flag("--no-progress", o->no_progress, "no progress line on a terminal");
    command->callback([&action, o] {
        action = [o] {
            if (o->minimize.has_value() == o->maximize.has_value())
                throw UsageError("give one of --minimize RESULT and --maximize RESULT");
            OptimizeProblem p;
            for (const std::string& v : o->vary) p.vary.push_back(parse_range(v, "--vary"));
            if (p.vary.empty()) throw UsageError("at least one --vary NAME=LO:HI is needed");
            for (const std::string& c : o->subject_to) p.constraints.push_back(parse_constraint(c));
            p.maximize = o->maximize.has_value();
            p.objective = p.maximize ? *o->maximize : *o->minimize;
            p.evaluations = o->evaluations;
            p.seed = o->seed;
            const DataFile file = open_data_file(o->file, o->program);
            warn(file);
            p.calc = file.calc;
            p.base = file.inputs();
            const bool terminal = !o->no_progress && fixrec::posix::is_terminal(STDERR_FILENO);
            std::unique_ptr<Progress> line;
            const OptimizeResult r = optimize(p, [&](std::int64_t done, std::int64_t expected) {
                if (!line) line = std::make_unique<Progress>(expected, terminal);
                line->update(done);
            });
            if (line) line->finish();
            const bool ok = r.status == OptimizeResult::Status::Ok;
            if (o->write && ok) {
                std::vector<Assignment> assignments;
                for (const OptimizeResult::Input& in : r.inputs) {
                    const Field& field = file.calc->inputs[in.input];
                    Assignment a;
                    a.input = in.input;
                    a.typed = exact_text(field, in.value.value);
                    a.held = hold(field, field.type == calculators::ValueType::Integer
                                             ? static_cast<double>(in.value.value.integer)
                                             : static_cast<double>(in.value.value.real));
                    assignments.push_back(a);
                }
                write_back(file, set_values(file, assignments));
            }
            if (o->json)
                std::cout << dump_json(optimize_json(*file.calc, file.path, p, r)) << '\n';
            else
                std::cout << optimize_text(*file.calc, file.path, p, r);
            if (o->write && ok) {
                std::cout.flush();
                std::cerr << "swirl: " << file.path << ": written:";
                for (const OptimizeResult::Input& in : r.inputs)
                    std::cerr << ' ' << file.calc->inputs[in.input].name << '=' << in.value.printed;
                std::cerr << '\n';
            }
            return ok ? kExitOk : kExitNoSolution;
        };
    });
}

}  // namespace swirl
