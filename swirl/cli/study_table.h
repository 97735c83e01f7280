// What swirl sweep and swirl sample share: a study's table written to -o or
// standard output as it is computed, with a progress line on a terminal, and
// for a shard written to a file its manifest beside it (study_output.h).
#pragma once

#include <string>

#include "command.h"
#include "swirl/study/cases.h"
#include "swirl/study/manifest.h"

namespace swirl {

// The --jobs, --shard, --no-progress and -o options of a study.
struct TableOptions {
    std::string out;
    unsigned jobs = 0;
    std::string shard = "1/1";
    bool no_progress = false;
    CLI::Option* shard_option = nullptr;  // given: the table is a shard, with a manifest
    bool sharded() const { return shard_option != nullptr && shard_option->count() > 0; }
};

// Writes the header and the rows of the table's shard, and the manifest of a
// shard (`study`: "sweep" or "sample", with its identity); returns the exit
// code.  The data file `file` is never written, nor is the manifest.
int write_study_table(const CaseTable& table, const TableOptions& options, const std::string& file,
                      std::string study, Identity identity, Shard shard);
void add_table_options(CLI::App& command, TableOptions& options, const char* what);

}  // namespace swirl
