#include "messages.h"

#include <string_view>

#include "fixrec/cp866.h"

namespace separator {

namespace {

using namespace fixrec::literals;

constexpr std::string_view kOpenFailed = "***ОШИБКА ОТКРЫТИЯ ФАЙЛА  KERVA.DAT***"_cp;
constexpr std::string_view kReadFailed = "***ОШИБКА ЧТЕНИЯ ФАЙЛА KERVA.DAT***"_cp;
// The fourth character of this message is the Latin capital O.
constexpr std::string_view kReopenFailed = "***OШИБКА ОТКРЫТИЯ ФАЙЛА***"_cp;

constexpr std::string_view kKerva1Started = "**** РАСЧЕТ ПО KERVA1 ****"_cp;
constexpr std::string_view kEta1fr = "ETA1fr="_cp;
constexpr std::string_view kEta1 = "ETA1(%)="_cp;
constexpr std::string_view kKerva2Started = "**** РАСЧЕТ ПО KERVA2 ****"_cp;
constexpr std::string_view kApproximation1 = "*** ALGORITM 1 ***"_cp;
constexpr std::string_view kApproximation2 = "*** ALGORITM 2 ***"_cp;
constexpr std::string_view kEta2fr = "ETA2fr="_cp;
constexpr std::string_view kEta2 = "ETA2(%)="_cp;

}  // namespace

void Messages::open_failed() { console_.list({kOpenFailed}); }
void Messages::read_failed() { console_.list({kReadFailed}); }
void Messages::reopen_failed() { console_.list({kReopenFailed}); }

void Messages::kerva1_started() { console_.list({kKerva1Started}); }
void Messages::eta1fr(float eta1fr) { console_.list({kEta1fr, eta1fr}); }
void Messages::eta1(float eta1) { console_.list({kEta1, eta1}); }

void Messages::kerva2_started() { console_.list({kKerva2Started}); }
void Messages::approximation(int which) { console_.list({which == 2 ? kApproximation2 : kApproximation1}); }
void Messages::eta2fr(float eta2fr) { console_.list({kEta2fr, eta2fr}); }
void Messages::eta2(float eta2) { console_.list({kEta2, eta2}); }

void Messages::interpolated(float eta, float etam) { console_.list({eta, etam}); }

void Messages::invalid_arithmetic(Status status) { console_.invalid_arithmetic(failure_message(status)); }

}  // namespace separator
