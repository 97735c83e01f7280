// The report of a run, written over the data file: a banner, the input
// section in the columns the reader reads back, the integral results, the
// profile tables and, for the analytic vortex, the refined results.
#pragma once

#include "run_record.h"

namespace vortex_chamber {

// Writes the report on unit 1 (connected).  Sets R(i) = (i - 1)*DRK for the
// rows of the profile tables.
void write_report(RunRecord& r);

}  // namespace vortex_chamber
