// ZARN1: one run over the data file ZARN1.DAT in the current directory.
#include "zarn1.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "fixrec/fixrec.h"
#include "input.h"
#include "integral.h"
#include "motion.h"
#include "numerics/single.h"
#include "profiles.h"
#include "refinements.h"
#include "report.h"

namespace vortex_chamber {

namespace {

using namespace fixrec::literals;
using fixrec::FormatView;

constexpr int kUnit = 1;
// The file-name variable holds 30 characters, blank-padded.
constexpr std::string_view kFileName = "ZARN1.DAT                     ";
static_assert(kFileName.size() == 30);

constexpr std::string_view kOpenFailed = "*** Ошибка открытия файла ZARN1.DAT!***"_cp;
constexpr std::string_view kReadFailed = "***Ошибка чтения файла ZARN1.DAT!***"_cp;
constexpr std::string_view kFlowTooSmall = " Из-за F2<=2 расчет V и P не проводился; нужно увеличить расход G."_cp;

// Console statements; the first blank of each record is its carriage control.
constexpr FormatView kReopenFailed = R"fmt(('***Ошибка открытия имени файла',/,' Прочитано имя с входного файла',30A1))fmt"_fmt;
constexpr FormatView kRPZero = R"fmt((4X,'РАДИУС ЗОНЫ НУЛЕВОГО СТАТИЧ. ДАВЛЕНИЯ РАВЕН 0.0'))fmt"_fmt;
constexpr FormatView kAnalyticNodes = R"fmt((4X,'ЧИСЛО УЗЛОВ БОЛЬШЕ 400',/,4X,'НУЖНО УВЕЛИЧИТЬ DRK'))fmt"_fmt;
constexpr FormatView kMotionNodes = R"fmt((4X,' число узлов больше 400',4X,' нужно увеличить DRK'))fmt"_fmt;

class ConsoleMessages final : public Messages {
public:
    void zero_pressure_radius() override { fixrec::write_line(fixrec::kConsoleUnit, kRPZero); }
    void analytic_nodes_exceeded() override { fixrec::write_line(fixrec::kConsoleUnit, kAnalyticNodes); }
    void motion_nodes_exceeded() override { fixrec::write_line(fixrec::kConsoleUnit, kMotionNodes); }
    void flow_too_small() override { fixrec::write_console({kFlowTooSmall}); }
};

bool finite(float v) { return std::isfinite(v); }

bool all_finite(const RunRecord& r) {
    for (float v : {r.Q, r.PSI, r.MA, r.K, r.M, r.XU, r.UK, r.U1, r.WSR1, r.RP, r.RU, r.RV, r.VWX,
                    r.RATIO, r.ALFA, r.VK, r.REI, r.PVXOD, r.VMAX, r.V1, r.P0, r.P1, r.PK, r.N,
                    r.V1_N, r.VMAX_N, r.PK_N, r.PVXOD_N, r.P0_H, r.PK_H, r.VMAX_H})
        if (!finite(v)) return false;
    for (const Profile* a : {&r.V, &r.P, &r.U, &r.W})
        for (float v : *a)
            if (!finite(v)) return false;
    return true;
}

void report_reopen_failure() {
    // The statement passes the file-name variable as 30 items of one character.
    std::vector<fixrec::Item> name;
    for (std::size_t i = 0; i < kFileName.size(); ++i) name.emplace_back(kFileName.substr(i, 1));
    fixrec::write_line(fixrec::kConsoleUnit, kReopenFailed, name);
}

// Passes a step's console message on only while the arithmetic of the run is
// still valid.  A run stops at its first invalid operation; a message that a
// step would write after it (the node message after VMAX overflowed, the F2
// message for an F2 that overflowed) belongs to a part of the run that never
// happens.  Every non-finite value comes from an operation that raised a flag,
// so the flags alone tell.
class UntilFailure final : public Messages {
public:
    UntilFailure(Messages& to, const numerics::ArithmeticGuard& guard) : to_(to), guard_(guard) {}
    void zero_pressure_radius() override {
        if (!guard_.failed()) to_.zero_pressure_radius();
    }
    void analytic_nodes_exceeded() override {
        if (!guard_.failed()) to_.analytic_nodes_exceeded();
    }
    void motion_nodes_exceeded() override {
        if (!guard_.failed()) to_.motion_nodes_exceeded();
    }
    void flow_too_small() override {
        if (!guard_.failed()) to_.flow_too_small();
    }

private:
    Messages& to_;
    const numerics::ArithmeticGuard& guard_;
};

}  // namespace

Status compute_chamber(RunRecord& r, Messages& console) {
    numerics::ArithmeticGuard guard;
    UntilFailure messages(console, guard);
    // After each step: any invalid operation or overflow so far ends the run.
    auto failed = [&] { return guard.failed() || !all_finite(r); };

    r.PI = kPi;

    if (r.RO == 0.0f) return Status::ZeroDensity;
    flow_rate(r);
    if (failed()) return Status::Overflow;

    if (r.R1 == 0.0f) return Status::ZeroOutletRadius;
    if (r.RK == 0.0f) return Status::ZeroChamberRadius;
    if (std::fmod(r.PSIVX, 180.0f) == 0.0f) return Status::NoSwirl;
    if (r.FVX == 0.0f) return Status::ZeroSwirlerArea;
    swirl_parameter(r);
    if (failed()) return Status::Overflow;
    if (r.MA < 0.0f) return Status::NegativeSwirl;

    estimate_rv(r);
    if (r.L == 0.0f) return Status::ZeroHeight;
    mean_velocities(r);
    if (failed()) return Status::Overflow;

    if (r.NVS != 1) zero_pressure_radius(r, messages);
    if (failed()) return Status::Overflow;

    if (r.NU == 0.0f) return Status::ZeroViscosity;
    inlet_velocity(r);
    if (failed()) return Status::Overflow;
    if (r.Q == 0.0f) return Status::ZeroFlow;
    wall_swirl(r);
    if (failed()) return Status::Overflow;

    if (r.NVS == 0) {
        if (r.DRK <= 0.0f) return Status::BadStep;
        analytic_profiles(r, messages);
        if (failed()) return Status::Overflow;
    }

    zero_radial_velocity_radius(r);
    if (failed()) return Status::SwirlRootUndefined;

    if (r.NVS != 0) {
        if (r.DRK <= 0.0f) return Status::BadStep;
        const Status s = solve_motion(r, messages);
        if (s != Status::Ok) return s;
        if (failed()) return Status::Overflow;
    }

    if (r.DRK <= 0.0f) return Status::BadStep;
    PROFUW(r.U1, r.R1, r.L, r.M, r.DRK, r.RU, r.PI, r.U, r.W, r.NITA);
    if (failed()) return Status::Overflow;

    inlet_pressure(r);
    if (failed()) return Status::Overflow;

    if (r.NVS == 0) {
        power_law(r);
        if (failed()) return r.RP < 0.0f ? Status::NegativeZeroPressureRadius : Status::Overflow;
    }
    height_correction(r);
    if (failed()) return Status::Overflow;
    return Status::Ok;
}

std::string_view failure_message(Status status) {
    switch (status) {
        case Status::Ok:
            return {};
        case Status::ZeroDensity:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: RO=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroOutletRadius:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: R1=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroChamberRadius:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: RK=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::NoSwirl:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: PSIVX КРАТЕН 180, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroSwirlerArea:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: FVX=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::NegativeSwirl:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: МА<0, ПРОВЕРЬТЕ FVX, PSIVX, R1, RK***"_cp;
        case Status::ZeroHeight:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: L=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroViscosity:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: NU=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroFlow:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: G=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::BadStep:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: DRK<=0, НУЖНО ЗАДАТЬ ШАГ DRK>0***"_cp;
        case Status::SwirlRootUndefined:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: М НЕ ОПРЕДЕЛЕН ПРИ ЭТОМ МА, ПРОВЕРЬТЕ FVX***"_cp;
        case Status::F2EqualsPi:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: F2=PI, ПРОВЕРЬТЕ G, RO, L, NU***"_cp;
        case Status::CounterflowDivisor:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ZU*E6=1 ПРИ NVS=2, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::SwirlRatioRange:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: KS*KS ВНЕ ДИАПАЗОНА ЦЕЛЫХ ЧИСЕЛ***"_cp;
        case Status::NegativeZeroPressureRadius:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: RP<0, СТЕПЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***"_cp;
        case Status::Overflow:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЕРЕПОЛНЕНИЕ, ПРОВЕРЬТЕ ВХОДНЫЕ ДАННЫЕ***"_cp;
    }
    return {};
}

int run_zarn1() {
    RunRecord r{};
    r.IERR = 0;
    r.NVS = 0;

    if (fixrec::open_old(kUnit, kFileName) != fixrec::Status::Ok) {
        fixrec::write_console({kOpenFailed});
        r.IERR = 1;
        fixrec::close_unit(kUnit);
        return kExitUnreadable;
    }
    if (read_input(r) != ReadOutcome::Ok) {
        // The data file is the user's only copy of the input: leave it as it is.
        fixrec::write_console({kReadFailed});
        fixrec::close_unit(kUnit);
        return kExitUnreadable;
    }
    fixrec::close_unit(kUnit);

    ConsoleMessages messages;
    const Status status = compute_chamber(r, messages);
    if (status != Status::Ok) {
        fixrec::write_console({failure_message(status)});
        return kExitInvalidArithmetic;
    }

    if (fixrec::open_old(kUnit, kFileName) != fixrec::Status::Ok) {
        report_reopen_failure();
        fixrec::close_unit(kUnit);
        return kExitReportNotWritten;
    }
    write_report(r);
    fixrec::close_unit(kUnit);
    return kExitOk;
}

}  // namespace vortex_chamber
