// BILM: the vortex funnel over a drain hole.  Reads BILM.DAT in the current
// directory and rewrites it with the report.
#include "calculators/command_line.h"
#include "run.h"

int main(int argc, char** argv) { return calculators::run(argc, argv, drain_funnel::calculator()); }
