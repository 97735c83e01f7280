// Exit codes of every calculator and of the swirl command, one set: swirl
// uses the programs' codes for what happens to a data file, and its own two
// (4, 64) for what only a command can meet.
#pragma once

namespace calculators {

// A plain enum: the programs and swirl return these as ints.
enum ExitCode : int {
    kExitOk = 0,                 // a normal end (warnings on the console included)
    kExitNotWritten = 1,         // a file could not be written and is as it was: a program's report
                                 // ("run-time error" on stderr), an output of swirl, its standard output
    kExitUnreadable = 2,         // the data file could not be opened, or its input section not read
    kExitInvalidArithmetic = 3,  // the inputs make the computation invalid; nothing was written
    kExitNoSolution = 4,         // swirl: a solve or an optimisation finds no solution or no feasible point in its range
    kExitUsage = 64,             // an argument or command line that cannot be accepted; nothing was touched
};

}  // namespace calculators
