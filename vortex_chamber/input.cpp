#include "input.h"

#include "fixrec/fixrec.h"

namespace vortex_chamber {

namespace {

using namespace fixrec::literals;
using fixrec::Format;

constexpr int kUnit = 1;

const Format kTextLine(R"fmt((80A1))fmt"_cp);
const Format kRealLine(R"fmt((41X,E16.5))fmt"_cp);   // columns 42-57
const Format kAngleLine(R"fmt((41X,F11.4))fmt"_cp);  // columns 42-52
const Format kDigitLine(R"fmt((46X,I1))fmt"_cp);     // column 47

}  // namespace

ReadOutcome read_input(RunRecord& r) {
    char header[80];
    const auto text = fixrec::each_char(header);
    auto line = [](const Format& format, fixrec::Dest dest) {
        return fixrec::read_fields(kUnit, format, {dest}) == fixrec::Status::Ok;
    };
    for (int i = 1; i <= 10; ++i)
        if (fixrec::read_fields(kUnit, kTextLine, text) != fixrec::Status::Ok) return ReadOutcome::Failed;
    for (float* target : {&r.G, &r.RK, &r.L, &r.R1, &r.H, &r.FVX})
        if (!line(kRealLine, *target)) return ReadOutcome::Failed;
    if (!line(kAngleLine, r.PSIVX)) return ReadOutcome::Failed;
    // The first line of the swirler-type legend.
    if (fixrec::read_fields(kUnit, kTextLine, text) != fixrec::Status::Ok) return ReadOutcome::Failed;
    if (!line(kDigitLine, r.VID)) return ReadOutcome::Failed;
    for (float* target : {&r.NU, &r.RO, &r.PVN})
        if (!line(kRealLine, *target)) return ReadOutcome::Failed;
    if (!line(kAngleLine, r.TK)) return ReadOutcome::Failed;
    if (!line(kRealLine, r.DRK)) return ReadOutcome::Failed;
    if (!line(kDigitLine, r.NVS)) return ReadOutcome::Failed;
    return ReadOutcome::Ok;
}

}  // namespace vortex_chamber
