#include "status.h"

#include "fixrec/cp866.h"

namespace vortex_chamber {

std::string_view failure_message(Status status) {
    using namespace fixrec::literals;
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
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: PSIVX КРАТЕН 180, ЗАКРУТКИ НА ВХОДЕ НЕТ***"_cp;
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

}  // namespace vortex_chamber
