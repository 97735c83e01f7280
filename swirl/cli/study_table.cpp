#include "study_table.h"

#include <unistd.h>

#include "command.h"
#include "fixrec/posix.h"
#include "output_file.h"
#include "study_output.h"
#include "swirl/core/progress.h"

namespace swirl {

int write_study_table(const CaseTable& table, const TableOptions& options, const std::string& file,
                      std::string study, Identity identity, Shard shard) {
    const std::string& path = options.out;
    if (options.sharded() && is_same_file(file, manifest_path(path)))
        throw UsageError("the manifest " + manifest_path(path) + " of the shard is the data file itself, which a " +
                         study + " never writes");
    StudyOutput out(path, options.sharded());
    std::string header;
    table.append_header(header);
    out.write(header);
    // A table shown on the terminal gets no progress line: it would land
    // among the rows.
    const bool table_on_terminal = (path.empty() || path == "-") && fixrec::posix::is_terminal(STDOUT_FILENO);
    Progress progress(table.cases().end - table.cases().begin,
                      !options.no_progress && !table_on_terminal && fixrec::posix::is_terminal(STDERR_FILENO));
    table.run(
        options.jobs, [&](std::string_view rows) { out.write(rows); },
        [&](std::int64_t done) { progress.update(done); });
    progress.finish();
    out.commit(std::move(study), std::move(identity), shard, table.cases(), table.total());
    return kExitOk;
}

void add_table_options(CLI::App& command, TableOptions& o, const char* what) {
    command.add_option("-o,--output", o.out, "the CSV file (written whole, at the end); default: standard output");
    command.add_option("--jobs", o.jobs, "threads, 1 to 1024 (default: one per core)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    o.shard_option = command.add_option(
        "--shard", o.shard,
        std::string("K/N: only the K-th of N equal blocks of the cases, for several machines; with -o OUT.csv its "
                    "manifest goes to OUT.csv.json, and swirl merge puts the shards back together into the whole ") +
            what);
    command.add_flag("--no-progress", o.no_progress, "no progress line on a terminal");
}

}  // namespace swirl
