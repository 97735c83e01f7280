#include "input.h"

#include "fixrec/fixrec.h"

namespace vortex_chamber {

namespace {

using namespace fixrec::literals;
using fixrec::FormatView;

constexpr int kUnit = 1;

constexpr FormatView kTextLine = R"fmt((80A1))fmt"_fmt;
constexpr FormatView kRealLine = R"fmt((41X,E16.5))fmt"_fmt;   // columns 42-57
constexpr FormatView kAngleLine = R"fmt((41X,F11.4))fmt"_fmt;  // columns 42-52
constexpr FormatView kDigitLine = R"fmt((46X,I1))fmt"_fmt;     // column 47

}  // namespace

ReadOutcome read_input(RunRecord& r) {
    char header[80];
    const auto text = fixrec::each_char(header);
    auto line = [](FormatView format, fixrec::Dest dest) {
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
