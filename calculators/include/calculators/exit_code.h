// Exit codes of every calculator.  The companion command swirl uses the same
// codes for what happens to a data file.
#pragma once

namespace calculators {

// A plain enum: the programs return these as ints.
enum ExitCode : int {
    kExitOk = 0,                 // a normal end (warnings on the console included)
    kExitReportNotWritten = 1,   // the report could not be written: "run-time error" on stderr
    kExitUnreadable = 2,         // the data file could not be opened, or its input section not read
    kExitInvalidArithmetic = 3,  // the inputs make the computation invalid; nothing was written
    kExitUsage = 64,             // an option other than -h, --help or --version alone; nothing was touched
};

}  // namespace calculators
