// BILM: the vortex funnel over a drain hole.  Reads BILM.DAT in the current
// directory and rewrites it with the report.
#include "bilm.h"
#include "calculators/command_line.h"

namespace {

constexpr calculators::Program kBilm{
    "BILM", "BILM.DAT",
    "BILM computes the vortex funnel over the drain hole of a tank fed by a\n"
    "swirling make-up flow: its depth HO, its radius RV at half depth and the\n"
    "maximum rotation speed VMAX.\n"};

}  // namespace

int main(int argc, char** argv) { return calculators::run(argc, argv, kBilm, drain_funnel::run_bilm); }
