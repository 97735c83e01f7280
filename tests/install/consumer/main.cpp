// Writes one report line through FIXREC into a data file in the current
// directory, checks its bytes (code page 866, CR LF), and reads the value back
// from the same columns.  Exit code 0 when everything matches.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;

constexpr int kUnit = 1;
constexpr const char* kFile = "CONSUMER.DAT";
// 2 blanks and the 9-character label "ВЫСОТА HO": the value stands in columns 12-23.
constexpr fixrec::FormatView kReportLine = R"fmt((2X,'ВЫСОТА HO',E12.5,'(м)'))fmt"_fmt;
// Parsed at run time: a format a tool builds or reads.
const fixrec::Format kValueField("(11X,E12.5)");

// The same line spelt out in code page 866 bytes.
constexpr std::string_view kExpected = "  \x82\x9b\x91\x8e\x92\x80 HO  .34490E+00(\xac)\r\n";

bool fail(std::string_view what) {
    std::cerr << "consumer: " << what << '\n';
    return false;
}

bool write_and_check() {
    std::ofstream(kFile, std::ios::binary) << "old content that the report replaces\r\n";
    if (fixrec::open_old(kUnit, kFile) != fixrec::Status::Ok) return fail("open_old failed");
    fixrec::write_line(kUnit, kReportLine, {0.34489796f});
    fixrec::close_unit(kUnit);

    std::ifstream in(kFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes != kExpected) return fail("the file holds other bytes than the expected line");

    float value = 0.0f;
    if (fixrec::open_old(kUnit, kFile) != fixrec::Status::Ok) return fail("second open_old failed");
    const fixrec::Status status = fixrec::read_fields(kUnit, kValueField, {value});
    fixrec::close_unit(kUnit);
    if (status != fixrec::Status::Ok) return fail("read_fields failed");
    if (value != 0.3449f) return fail("the value read back is not 0.3449");
    return true;
}

int body() { return write_and_check() ? 0 : 10; }

}  // namespace

int main(int argc, char** argv) { return fixrec::run_main(argc, argv, body); }
