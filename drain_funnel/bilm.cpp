// BILM: one run over the data file BILM.DAT in the current directory.
#include "bilm.h"

#include "fixrec/fixrec.h"
#include "funnel.h"

namespace drain_funnel {

namespace {

using namespace fixrec::literals;
using fixrec::FormatView;

constexpr int kUnit = 1;

// Input section: six header lines, then five values in columns 39-50.
constexpr FormatView kHeaderLine = R"fmt((80A1))fmt"_fmt;
constexpr FormatView kValueLine = R"fmt((38X,E12.5))fmt"_fmt;

// Console messages.
constexpr std::string_view kOpenFailed = "***ОШИБКА ОТКРЫТИЯ ФАЙЛА  BILM.DAT***"_cp;
constexpr std::string_view kReadFailed = "***ОШИБКА ЧТЕНИЯ ФАЙЛА BILM.DAT***"_cp;
// The fourth character of this message is the Latin capital O.
constexpr std::string_view kReopenFailed = "***OШИБКА ОТКРЫТИЯ ФАЙЛА***"_cp;

// Report.  Lines 1-6 are the banner (the next run's header lines), lines 7-11
// the input values in the columns the reader reads back.
constexpr FormatView kStars = R"fmt((5X,'**************************************************',/))fmt"_fmt;
constexpr FormatView kTitle = R"fmt((5X,'     ***  РЕЗУЛЬТАТЫ РАБОТЫ ПРОГРАММЫ BILM  ***',/))fmt"_fmt;
constexpr FormatView kInputTitle = R"fmt((5X,'              ******ВХОДНЫЕ ДАННЫЕ******',/))fmt"_fmt;
constexpr FormatView kQLine = R"fmt((2X,'ОБЬЕМНЫЙ РАСХОД ЖИДКОСТИ           Q',E12.5,'(м3/с)'))fmt"_fmt;
constexpr FormatView kHGLine = R"fmt((2X,'ВЫСОТА ЖИДКОСТИ В БАКЕ            HG',E12.5,'(м)'))fmt"_fmt;
constexpr FormatView kR1Line = R"fmt((2X,'РАДИУС ОТВЕРСТИЯ СТОКА            R1',E12.5,'(м)'))fmt"_fmt;
constexpr FormatView kRCRLine = R"fmt((2X,'СРЕДНИЙ РАДИУС СЕЧЕНИЯ ПОДПИТКИ  RCR',E12.5,'(м)'))fmt"_fmt;
constexpr FormatView kUPODLine = R"fmt((2X,'СРЕДНЯЯ СКОРОСТЬ ПОДПИТКИ       UPOD',E12.5,'(м/с)'))fmt"_fmt;
constexpr FormatView kResultsTitle = R"fmt((10X,'*************РЕЗУЛЬТАТЫ РАСЧЕТОВ***************',/))fmt"_fmt;
constexpr FormatView kHOLine = R"fmt((2X,'ВЫСОТА ВОРОНКИ                   HO',E12.5,'(м)'))fmt"_fmt;
constexpr FormatView kRVLine = R"fmt((2X,'РАДИУС ВОРОНКИ при 0.5*HO        RV',E12.5,'(м)'))fmt"_fmt;
constexpr FormatView kVMAXLine = R"fmt((2X,'МАКСИМАЛЬНАЯ СКОРОСТЬ ВРАЩЕНИЯ VMAX',E12.5,'(м/с)'))fmt"_fmt;
constexpr FormatView kReachedOutlet = R"fmt((2X,'ВОРОНКА ДОСТИГЛА ВЫХОДНОГО ОТВЕРСТИЯ  HO=',E12.5))fmt"_fmt;

}  // namespace

ReadOutcome read_input(FunnelRun& run) {
    char header[80];
    const auto header_dests = fixrec::each_char(header);
    for (int line = 1; line <= 6; ++line)
        if (fixrec::read_fields(kUnit, kHeaderLine, header_dests) != fixrec::Status::Ok) return ReadOutcome::Failed;
    for (float* target : {&run.Q, &run.HG, &run.R1, &run.RCR, &run.UPOD})
        if (fixrec::read_fields(kUnit, kValueLine, {*target}) != fixrec::Status::Ok) return ReadOutcome::Failed;
    return ReadOutcome::Ok;
}

void write_report(const FunnelRun& run) {
    fixrec::write_line(kUnit, kStars);
    fixrec::write_line(kUnit, kTitle);
    fixrec::write_line(kUnit, kInputTitle);
    fixrec::write_line(kUnit, kQLine, {run.Q});
    fixrec::write_line(kUnit, kHGLine, {run.HG});
    fixrec::write_line(kUnit, kR1Line, {run.R1});
    fixrec::write_line(kUnit, kRCRLine, {run.RCR});
    fixrec::write_line(kUnit, kUPODLine, {run.UPOD});
    fixrec::write_line(kUnit, kResultsTitle);
    if (run.HO < run.HG) {
        fixrec::write_line(kUnit, kHOLine, {run.HO});
        fixrec::write_line(kUnit, kRVLine, {run.RV});
        fixrec::write_line(kUnit, kVMAXLine, {run.VMAX});
    } else {
        // The funnel reaches the outlet.
        fixrec::write_line(kUnit, kReachedOutlet, {run.HO});
    }
}

int run_bilm() {
    // The file-name variable holds 11 characters, blank-padded.
    constexpr std::string_view kFileName = "BILM.DAT   ";
    FunnelRun run{};
    run.PI = kPi;
    bool open_failed = false;

    if (fixrec::open_old(kUnit, kFileName) != fixrec::Status::Ok) {
        fixrec::write_console({kOpenFailed});
        open_failed = true;
    } else if (read_input(run) != ReadOutcome::Ok) {
        // The data file is the user's only copy of the input: leave it as it is.
        fixrec::write_console({kReadFailed});
        fixrec::close_unit(kUnit);
        return kExitUnreadable;
    }
    fixrec::close_unit(kUnit);

    if (!open_failed) {
        const FunnelStatus status = compute_funnel(run);
        if (status != FunnelStatus::Ok) {
            fixrec::write_console({funnel_failure_message(status)});
            return kExitInvalidArithmetic;
        }
    }

    return fixrec::rewrite_data_file(kUnit, kFileName, kReopenFailed, !open_failed,
                                     [&] { write_report(run); });
}

}  // namespace drain_funnel
