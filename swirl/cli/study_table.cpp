#include "study_table.h"

#include <unistd.h>

#include "command.h"
#include "fixrec/posix.h"
#include "output_file.h"
#include "swirl/core/progress.h"

namespace swirl {

int write_study_table(const CaseTable& table, const std::string& path, unsigned jobs, bool no_progress) {
    OutputFile out(path);
    std::string header;
    table.append_header(header);
    out.write(header);
    // A table shown on the terminal gets no progress line: it would land
    // among the rows.
    const bool table_on_terminal = (path.empty() || path == "-") && fixrec::posix::is_terminal(STDOUT_FILENO);
    Progress progress(table.cases().end - table.cases().begin,
                      !no_progress && !table_on_terminal && fixrec::posix::is_terminal(STDERR_FILENO));
    table.run(
        jobs, [&](std::string_view rows) { out.write(rows); }, [&](std::int64_t done) { progress.update(done); });
    progress.finish();
    out.commit();
    return kExitOk;
}

void add_table_options(CLI::App& command, TableOptions& o, const char* what) {
    command.add_option("-o,--output", o.out, "the CSV file (written whole, at the end); default: standard output");
    command.add_option("--jobs", o.jobs, "threads, 1 to 1024 (default: one per core)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    command.add_option("--shard", o.shard,
                       std::string("K/N: only the K-th of N equal blocks of the cases, for several machines; the rows "
                                   "of shards 1..N, headers dropped, are the rows of the whole ") +
                           what);
    command.add_flag("--no-progress", o.no_progress, "no progress line on a terminal");
}

}  // namespace swirl
