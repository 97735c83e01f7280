// KERVA: one run over the data file KERVA.DAT in the current directory.
#include "kerva.h"

#include "calculators/run_cycle.h"
#include "fixrec/fixrec.h"
#include "kerva1.h"
#include "kerva2.h"
#include "parameters.h"
#include "report.h"

namespace separator {

namespace {

using namespace fixrec::literals;

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
    FixrecConsole console;
    return calculators::run_cycle({
        .path = kFileName,
        .on_open_failure = calculators::OnOpenFailure::WriteBlankForm,
        .on_reopen_failure = calculators::OnReopenFailure::AskForFile,
        .open_failed = [] { fixrec::write_console({kOpenFailed}); },
        .read = [&](int) { return read_input(run) == ReadOutcome::Ok; },
        .read_failed = [] { fixrec::write_console({kReadFailed}); },
        .compute =
            [&] {
                const KervaStatus status = compute_kerva(run, console);
                if (status == KervaStatus::Ok) return true;
                console.text(failure_message(status));
                return false;
            },
        .reopen_failed = [] { fixrec::write_console({kReopenFailed}); },
        .write_report = [&](int) { write_report(run); },
    });
}

}  // namespace separator
