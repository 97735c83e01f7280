// swirl sweep FILE --vary NAME=FROM:TO:COUNT[:log] ...: the program computed
// in memory for every case of the grids, one CSV row a case, in case order.
#include <unistd.h>

#include <memory>

#include "data_files.h"
#include "fixrec/posix.h"
#include "output_file.h"
#include "study_output.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/ordered_run.h"
#include "swirl/core/progress.h"
#include "swirl/model/edits.h"
#include "swirl/study/sweep.h"

namespace swirl {

void add_sweep(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> vary;
        std::string out;
        unsigned jobs = 0;
        std::string shard = "1/1";
        std::optional<std::string> program;
        bool no_progress = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "sweep",
        "Compute the program for every case of one or more grids of inputs; one CSV row a case.\n"
        "Each value is taken as its field holds it. The rows (inputs, results, status, reason, messages) come in "
        "grid order, the last grid changing fastest. FILE is never written.\n"
        "Example:\n"
        "  swirl sweep BILM.DAT --vary UPOD=0.02:0.2:4 --vary Q=1e-5:0.01:61:log -o q.csv");
    command->add_option("FILE", o->file, "the data file that holds every other input")->required();
    command->add_option("--vary", o->vary,
                      "NAME=FROM:TO:COUNT: COUNT values from FROM to TO, evenly spaced; with :log, evenly on a "
                      "log scale (FROM and TO above 0).  Repeat for a grid of several inputs.")
        ->take_all();
    command->add_option("-o,--output", o->out, "the CSV file (written whole, at the end); default: standard output");
    command->add_option("--jobs", o->jobs, "threads, 1 to 1024 (default: one per core)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    CLI::Option* shard_option = command->add_option(
        "--shard", o->shard,
        "K/N: only the K-th of N equal blocks of the cases, for several machines; with -o OUT.csv its manifest "
        "goes to OUT.csv.json, and swirl merge puts the shards back together");
    add_program_option(*command, o->program);
    command->add_flag("--no-progress", o->no_progress, "no progress line on a terminal");
    command->callback([&action, o, shard_option] {
        const bool sharded = shard_option->count() > 0;
        action = [o, sharded] {
            std::vector<Grid> grids;
            for (const std::string& text : o->vary) grids.push_back(parse_grid(text));
            const Shard shard = parse_shard(o->shard);
            const DataFile file = open_data_file(o->file, o->program);
            if (is_same_file(o->file, o->out))
                throw UsageError("the output " + o->out + " is the data file itself, which a sweep never writes");
            if (sharded && is_same_file(o->file, manifest_path(o->out)))
                throw UsageError("the manifest " + manifest_path(o->out) + " of the shard is the data file itself, "
                                 "which a sweep never writes");
            warn(file);
            const Sweep sweep(*file.calc, file.inputs(), grids, shard);

            StudyOutput out(o->out, sharded);
            std::string header;
            sweep.append_header(header);
            out.write(header);
            // A table shown on the terminal gets no progress line: it would
            // land among the rows.
            const bool table_on_terminal = (o->out.empty() || o->out == "-") && fixrec::posix::is_terminal(STDOUT_FILENO);
            Progress progress(sweep.cases().end - sweep.cases().begin,
                              !o->no_progress && !table_on_terminal && fixrec::posix::is_terminal(STDERR_FILENO));
            sweep.run(
                o->jobs, [&](std::string_view rows) { out.write(rows); },
                [&](std::int64_t done) { progress.update(done); });
            progress.finish();
            out.commit("sweep", sweep.identity(), shard, sweep.cases(), sweep.total());
            return kExitOk;
        };
    });
}

}  // namespace swirl
