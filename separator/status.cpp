#include "status.h"

#include "fixrec/cp866.h"

namespace separator {

std::string_view failure_message(Status status) {
    using namespace fixrec::literals;
    switch (status) {
        case Status::Ok:
            return {};
        case Status::ZeroInletArea:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЛОЩАДЬ ВХОДА=0 (B, HI, NI), ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroSeparator:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: DK=0 ИЛИ L=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::NoFlow:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: QH=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroAnnulus:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: R2=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroParticleDensity:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ROP=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::InvalidShape:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: НЕДОПУСТИМЫЙ QGE, ЛОГАРИФМ ИЛИ КОРЕНЬ***"_cp;
        case Status::ZeroParticle:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: МАССА ЧАСТИЦЫ=0 (D50), ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::DenserMedium:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ROP<ROG, КОРЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***"_cp;
        case Status::EqualDensities:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ROG=ROP, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::QuadraticShape:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: QGE<=11.4/12.4, КОРЕНЬ НЕПОЛОЖИТЕЛЬНОГО ЧИСЛА***"_cp;
        case Status::ZeroMediumDensity:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ROG=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::ZeroBeta1:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: BETA1=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp;
        case Status::BoundaryDiameter:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: DGR/D50<=0, ЛОГАРИФМ НЕПОЛОЖИТЕЛЬНОГО ЧИСЛА***"_cp;
        case Status::Overflow:
            return "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЕРЕПОЛНЕНИЕ, ПРОВЕРЬТЕ ВХОДНЫЕ ДАННЫЕ***"_cp;
    }
    return {};
}

}  // namespace separator
