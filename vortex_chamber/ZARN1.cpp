// ZARN1: aerodynamics of a gas vortex chamber.  Reads ZARN1.DAT in the
// current directory and rewrites it with the report.
#include "calculators/command_line.h"
#include "run.h"

int main(int argc, char** argv) { return calculators::run(argc, argv, vortex_chamber::calculator()); }
