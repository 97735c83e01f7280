// ZARN1: aerodynamics of a gas vortex chamber.  Reads ZARN1.DAT in the
// current directory and rewrites it with the report.
#include "calculators/command_line.h"
#include "zarn1.h"

namespace {

constexpr calculators::Program kZarn1{
    "ZARN1", "ZARN1.DAT",
    "ZARN1 computes the aerodynamics of a gas vortex chamber: the integral flow\n"
    "parameters, the radial profiles of the velocities V, U, W and the pressure P,\n"
    "and the refinements by the power law and by the height of the outlet.\n"};

}  // namespace

int main(int argc, char** argv) {
    return calculators::run(argc, argv, kZarn1, vortex_chamber::run_zarn1);
}
