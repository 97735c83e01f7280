#include "messages.h"

#include <cstddef>
#include <vector>

#include "fixrec/fixrec.h"

namespace vortex_chamber {

namespace {

using namespace fixrec::literals;
using fixrec::FormatView;

constexpr std::string_view kOpenFailed = "*** Ошибка открытия файла ZARN1.DAT!***"_cp;
constexpr std::string_view kReadFailed = "***Ошибка чтения файла ZARN1.DAT!***"_cp;
constexpr std::string_view kFlowTooSmall = " Из-за F2<=2 расчет V и P не проводился; нужно увеличить расход G."_cp;

// Formatted console statements; the first character of each record is its
// carriage control (the first asterisk of the reopen message among them).
constexpr FormatView kReopenFailed =
    R"fmt(('***Ошибка открытия имени файла',/,' Прочитано имя с входного файла',30A1))fmt"_fmt;
constexpr FormatView kRPZero = R"fmt((4X,'РАДИУС ЗОНЫ НУЛЕВОГО СТАТИЧ. ДАВЛЕНИЯ РАВЕН 0.0'))fmt"_fmt;
constexpr FormatView kAnalyticNodes = R"fmt((4X,'ЧИСЛО УЗЛОВ БОЛЬШЕ 400',/,4X,'НУЖНО УВЕЛИЧИТЬ DRK'))fmt"_fmt;
constexpr FormatView kMotionNodes = R"fmt((4X,' число узлов больше 400',4X,' нужно увеличить DRK'))fmt"_fmt;

// The file-name variable of the program holds this many characters.
constexpr std::size_t kNameLength = 30;

}  // namespace

void Messages::open_failed() { console_.list({kOpenFailed}); }
void Messages::read_failed() { console_.list({kReadFailed}); }

void Messages::reopen_failed(std::string_view file_name) {
    // The statement passes the file-name variable as 30 items of one
    // character, one for each A1.
    std::vector<fixrec::Item> name;
    name.reserve(kNameLength);
    for (std::size_t i = 0; i < kNameLength; ++i)
        name.emplace_back(i < file_name.size() ? file_name.substr(i, 1) : std::string_view(" "));
    console_.formatted(kReopenFailed, name);
}

void Messages::zero_pressure_radius() {
    if (!stopped()) console_.formatted(kRPZero);
}
void Messages::analytic_nodes_exceeded() {
    if (!stopped()) console_.formatted(kAnalyticNodes);
}
void Messages::motion_nodes_exceeded() {
    if (!stopped()) console_.formatted(kMotionNodes);
}
void Messages::flow_too_small() {
    if (!stopped()) console_.list({kFlowTooSmall});
}

void Messages::invalid_arithmetic(Status status) { console_.invalid_arithmetic(failure_message(status)); }

}  // namespace vortex_chamber
