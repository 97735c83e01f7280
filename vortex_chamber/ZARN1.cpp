// ZARN1: aerodynamics of a gas vortex chamber.  Reads ZARN1.DAT in the
// current directory and rewrites it with the report.
#include "fixrec/fixrec.h"
#include "zarn1.h"

int main(int argc, char** argv) { return fixrec::run_main(argc, argv, vortex_chamber::run_zarn1); }
