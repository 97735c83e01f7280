#include "messages.h"

#include <string_view>

#include "fixrec/cp866.h"

namespace drain_funnel {

namespace {

using namespace fixrec::literals;

constexpr std::string_view kOpenFailed = "***ОШИБКА ОТКРЫТИЯ ФАЙЛА  BILM.DAT***"_cp;
constexpr std::string_view kReadFailed = "***ОШИБКА ЧТЕНИЯ ФАЙЛА BILM.DAT***"_cp;
// The fourth character of this message is the Latin capital O.
constexpr std::string_view kReopenFailed = "***OШИБКА ОТКРЫТИЯ ФАЙЛА***"_cp;

}  // namespace

void Messages::open_failed() { console_.list({kOpenFailed}); }
void Messages::read_failed() { console_.list({kReadFailed}); }
void Messages::reopen_failed() { console_.list({kReopenFailed}); }
void Messages::invalid_arithmetic(Status status) { console_.invalid_arithmetic(failure_message(status)); }

}  // namespace drain_funnel
