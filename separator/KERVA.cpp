// KERVA: cleaning efficiency of a swirl separator.  Reads KERVA.DAT in the
// current directory and rewrites it with the report.
#include "calculators/command_line.h"
#include "run.h"

int main(int argc, char** argv) { return calculators::run(argc, argv, separator::calculator()); }
