// swirl sweep FILE --vary NAME=FROM:TO:COUNT[:log] ... | --cases CASES.csv:
// the program computed in memory for every case of the grids, or of a case
// list, one CSV row a case, in case order.
#include <memory>

#include "data_files.h"
#include "output_file.h"
#include "study_table.h"
#include "swirl/study/case_list.h"
#include "swirl/study/sweep.h"

namespace swirl {

void add_sweep(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> vary;
        std::string cases;
        TableOptions table;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "sweep",
        "Compute the program for every case of one or more grids of inputs, or of a case list; one CSV row a case.\n"
        "Each value is taken as its field holds it. The rows (inputs, results, status, reason, messages) come in "
        "grid order, the last grid changing fastest, or in the order of the list. FILE is never written.\n"
        "Examples:\n"
        "  swirl sweep BILM.DAT --vary UPOD=0.02:0.2:4 --vary Q=1e-5:0.01:61:log -o q.csv\n"
        "  printf 'Q,UPOD\\n0.001,0.05\\n0.002,0.08\\n' > tanks.csv\n"
        "  swirl sweep BILM.DAT --cases tanks.csv -o tanks-out.csv");
    command->add_option("FILE", o->file, "the data file that holds every other input")->required();
    command->add_option("--vary", o->vary,
                      "NAME=FROM:TO:COUNT: COUNT values from FROM to TO, evenly spaced; with :log, evenly on a "
                      "log scale (FROM and TO above 0).  Repeat for a grid of several inputs.")
        ->take_all();
    command->add_option("--cases", o->cases,
                        "a CSV file of cases instead of grids: a header of input names (any case, any of them), "
                        "one row a case");
    add_table_options(*command, o->table, "sweep");
    add_program_option(*command, o->program);
    command->callback([&action, o] {
        action = [o] {
            if (!o->cases.empty() && !o->vary.empty())
                throw UsageError("--cases and --vary do not go together: give the varied values as columns of " +
                                 o->cases);
            std::vector<Grid> grids;
            for (const std::string& text : o->vary) grids.push_back(parse_grid(text));
            const Shard shard = parse_shard(o->table.shard);
            const DataFile file = open_data_file(o->file, o->program);
            if (is_same_file(o->file, o->table.out))
                throw UsageError("the output " + o->table.out + " is the data file itself, which a sweep never writes");
            if (!o->cases.empty() && is_same_file(o->cases, o->table.out))
                throw UsageError("the output " + o->table.out + " is the case list itself");
            warn(file);
            if (!o->cases.empty()) {
                const Sweep sweep(*file.calc, file.inputs(),
                                  read_case_list(*file.calc, read_data_file(o->cases), o->cases), shard);
                return write_study_table(sweep.table(), o->table, o->file, "sweep", sweep.identity(), shard);
            }
            const Sweep sweep(*file.calc, file.inputs(), grids, shard);
            return write_study_table(sweep.table(), o->table, o->file, "sweep", sweep.identity(), shard);
        };
    });
}

}  // namespace swirl
