// BILM: the vortex funnel over a drain hole.  Reads BILM.DAT in the current
// directory and rewrites it with the report.
#include "bilm.h"
#include "fixrec/fixrec.h"

int main(int argc, char** argv) { return fixrec::run_main(argc, argv, drain_funnel::run_bilm); }
