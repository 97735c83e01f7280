#include "status.h"

#include "fixrec/cp866.h"

namespace drain_funnel {

std::string_view failure_message(Status status) {
    using namespace fixrec::literals;
    switch (status) {
        case Status::Ok:
            return {};
        case Status::ZeroDrainRadius:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: R1=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::NegativeDrainRadius:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: R1<0, СТЕПЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***"_cp;
        case Status::NoSwirl:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: RCR*UPOD=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::NegativeSwirl:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: RCR*UPOD<0, СТЕПЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***"_cp;
        case Status::Overflow:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЕРЕПОЛНЕНИЕ, ПРОВЕРЬТЕ Q, R1, RCR, UPOD***"_cp;
    }
    return {};
}

}  // namespace drain_funnel
