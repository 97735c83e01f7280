// KERVA: cleaning efficiency of a swirl separator.  Reads KERVA.DAT in the
// current directory and rewrites it with the report.
#include "fixrec/fixrec.h"
#include "kerva.h"

int main(int argc, char** argv) { return fixrec::run_main(argc, argv, separator::run_kerva); }
