// What swirl sweep and swirl sample share: a study's table written to -o or
// standard output as it is computed, with a progress line on a terminal.
#pragma once

#include <string>

#include "command.h"
#include "swirl/study/cases.h"

namespace swirl {

// Writes the header and the rows of the table's shard; returns the exit code.
int write_study_table(const CaseTable& table, const std::string& out, unsigned jobs, bool no_progress);

// The --jobs, --shard, --no-progress and -o options of a study.
struct TableOptions {
    std::string out;
    unsigned jobs = 0;
    std::string shard = "1/1";
    bool no_progress = false;
};
void add_table_options(CLI::App& command, TableOptions& options, const char* what);

}  // namespace swirl
