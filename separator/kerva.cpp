// KERVA: one run over the data file KERVA.DAT in the current directory.
#include "kerva.h"

#include "fixrec/fixrec.h"
#include "kerva1.h"
#include "kerva2.h"
#include "parameters.h"
#include "report.h"

namespace separator {

namespace {

using namespace fixrec::literals;

constexpr int kUnit = 1;

constexpr std::string_view kOpenFailed = "***ОШИБКА ОТКРЫТИЯ ФАЙЛА  KERVA.DAT***"_cp;
constexpr std::string_view kReadFailed = "***ОШИБКА ЧТЕНИЯ ФАЙЛА KERVA.DAT***"_cp;
// The fourth character of this message is the Latin capital O.
constexpr std::string_view kReopenFailed = "***OШИБКА ОТКРЫТИЯ ФАЙЛА***"_cp;
constexpr std::string_view kEta1Label = "ETA1(%)="_cp;
constexpr std::string_view kEta2Label = "ETA2(%)="_cp;

}  // namespace

KervaStatus compute_kerva(KervaRun& run, ConsoleLines& console) {
    KervaStatus status = compute_parameters(run);
    if (status != KervaStatus::Ok) return status;

    if (run.SPC >= 10.0f) {
        // Stokes regime.
        status = kerva1(run, console);
        if (status != KervaStatus::Ok) return status;
        console.text_value(kEta1Label, run.ETA1);
        return KervaStatus::Ok;
    }

    status = compute_quadratic_parameters(run);
    if (status != KervaStatus::Ok) return status;
    if (run.BETA2 <= 1.0f) {
        // Quadratic regime.
        status = kerva2(run, console);
        if (status != KervaStatus::Ok) return status;
        console.text_value(kEta2Label, run.ETA2);
        return KervaStatus::Ok;
    }

    // Between the regimes: both efficiencies and the interpolated one.
    status = kerva1(run, console);
    if (status != KervaStatus::Ok) return status;
    console.text_value(kEta1Label, run.ETA1);
    status = kerva2(run, console);
    if (status != KervaStatus::Ok) return status;
    console.text_value(kEta2Label, run.ETA2);
    interpolate_efficiency(run);
    console.values(run.ETA, run.ETAM);
    return KervaStatus::Ok;
}

int run_kerva() {
    // The file-name variable holds 11 characters, blank-padded.
    constexpr std::string_view kFileName = "KERVA.DAT  ";
    KervaRun run{};
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
        FixrecConsole console;
        const KervaStatus status = compute_kerva(run, console);
        if (status != KervaStatus::Ok) {
            console.text(failure_message(status));
            return kExitInvalidArithmetic;
        }
    }

    return fixrec::rewrite_data_file(kUnit, kFileName, kReopenFailed, !open_failed,
                                     [&] { write_report(run); });
}

}  // namespace separator
