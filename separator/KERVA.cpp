// KERVA: cleaning efficiency of a swirl separator.  Reads KERVA.DAT in the
// current directory and rewrites it with the report.
#include "calculators/command_line.h"
#include "kerva.h"

namespace {

constexpr calculators::Program kKerva{
    "KERVA", "KERVA.DAT",
    "KERVA computes the cleaning efficiency of a swirl separator for solid\n"
    "particles carried by a gas or a liquid, in the Stokes or the quadratic drag\n"
    "regime, for one particle size or a log-normal size distribution.\n"};

}  // namespace

int main(int argc, char** argv) { return calculators::run(argc, argv, kKerva, separator::run_kerva); }
