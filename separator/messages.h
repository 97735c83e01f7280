// Every console line of KERVA, written through a calculators::ConsoleLines
// sink: the console of a run (calculators::RunConsole), or the lines that a
// tool computing in memory captures (calculators::CapturedConsole).  The texts
// are in messages.cpp once, so both show the same bytes.
//
// Unlike BILM, KERVA reports its progress while it computes: the banner of
// each efficiency routine, the approximation it takes, an efficiency for the
// size D50 above 1 before it is limited, and the efficiencies of the regimes.
// Every line is a list-directed statement.
#pragma once

#include "calculators/console_lines.h"
#include "status.h"

namespace separator {

class Messages {
public:
    explicit Messages(calculators::ConsoleLines& console) : console_(console) {}

    // The data file: it cannot be opened, its input section cannot be read,
    // it cannot be opened again for the report.
    void open_failed();
    void read_failed();
    void reopen_failed();

    // The Stokes regime (KERVA1): its banner, the efficiency ETA1fr for the
    // size D50 when it exceeds 1 (before the limit), and ETA1 in percent.
    void kerva1_started();
    void eta1fr(float eta1fr);
    void eta1(float eta1);

    // The quadratic regime (KERVA2): its banner, the approximation taken for
    // a size distribution (1 or 2), the efficiency ETA2fr for the size D50
    // when it exceeds 1, and ETA2 in percent.
    void kerva2_started();
    void approximation(int which);
    void eta2fr(float eta2fr);
    void eta2(float eta2);

    // Between the regimes: the interpolated efficiency ETA and the mean ETAM
    // of the two, on one line without text.
    void interpolated(float eta, float etam);

    // A computation that the inputs make invalid ends with the line that
    // names its cause (status.h).
    void invalid_arithmetic(Status status);

private:
    calculators::ConsoleLines& console_;
};

}  // namespace separator
