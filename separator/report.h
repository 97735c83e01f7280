// The data file KERVA.DAT: the 33-line input section and the report.
#pragma once

#include "run_record.h"

namespace separator {

enum class ReadOutcome { Ok, Failed };

// Reads the input section from unit 1 (connected): ten header lines, then the
// sixteen values with the seven label-only lines between them.  The first
// line that cannot be read ends the reading; values read before it are kept.
ReadOutcome read_input(KervaRun& run);

// Writes the report on unit 1.
void write_report(const KervaRun& run);

}  // namespace separator
