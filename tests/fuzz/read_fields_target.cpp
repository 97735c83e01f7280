// Fuzz target: arbitrary bytes as a data file read record by record through
// the input formats of the calculators.  The first byte picks the order in
// which the formats take turns; the rest is the file.
//
// What must hold: every statement returns one of the documented statuses; a
// real that was read is a finite single-precision value; every statement
// consumes a record, so the reading comes to the end of the file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fixrec/fixrec.h"
#include "fuzz_support.h"

namespace {

using fuzz_support::fail;

class SilentConsole final : public fixrec::ConsoleDevice {
public:
    void write_out(std::string_view) override {}
    void write_err(std::string_view) override {}
    bool read_line(std::string&) override { return false; }
};

enum class Kind { Text, Real, Integer };

struct InputFormat {
    const char* text;
    Kind kind;
};

// The header and label lines, and the value lines of the three data files.
constexpr InputFormat kFormats[] = {
    {"(80A1)", Kind::Text},        {"(38X,E12.5)", Kind::Real}, {"(41X,E16.5)", Kind::Real},
    {"(41X,F11.4)", Kind::Real},   {"(46X,I1)", Kind::Integer}, {"(46X,I2)", Kind::Integer},
};
constexpr std::size_t kFormatCount = sizeof kFormats / sizeof kFormats[0];

constexpr int kUnit = 1;
constexpr const char* kName = "FIELDS.DAT";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fixrec::Format* formats = [] {
        auto* f = static_cast<fixrec::Format*>(::operator new(sizeof(fixrec::Format) * kFormatCount));
        for (std::size_t i = 0; i < kFormatCount; ++i) new (&f[i]) fixrec::Format(kFormats[i].text);
        return f;
    }();
    if (size == 0) return 0;
    fuzz_support::enter_scratch_directory();
    const unsigned order = data[0];
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz_support::write_file(kName, file);

    SilentConsole console;
    fixrec::begin_run({}, &console);
    if (fixrec::open_old(kUnit, kName) != fixrec::Status::Ok) fail("an existing file opens");
    // A record takes one byte at the least, so the reading ends within this
    // many statements (the end of the file is reported twice, the second time
    // for good: a Ctrl-Z in a numeric field ends its record as an end of file).
    const std::size_t limit = file.size() + 3;
    int ends = 0;
    std::size_t statements = 0;
    for (;; ++statements) {
        if (statements > limit) fail("the reading reaches the end of the file");
        const InputFormat& f = kFormats[(order + statements * (1 + order / kFormatCount)) % kFormatCount];
        const fixrec::Format& format = formats[&f - kFormats];
        fixrec::Status status = fixrec::Status::Ok;
        if (f.kind == Kind::Text) {
            char text[80];
            std::memset(text, '#', sizeof text);
            auto dests = fixrec::each_char(text);
            status = fixrec::read_fields(kUnit, format, dests);
        } else if (f.kind == Kind::Real) {
            float value = -7.25f;
            status = fixrec::read_fields(kUnit, format, {value});
            if (status == fixrec::Status::Ok && !std::isfinite(value)) fail("a real that was read is finite");
        } else {
            std::int32_t value = -7;
            status = fixrec::read_fields(kUnit, format, {value});
        }
        if (status != fixrec::Status::Ok && status != fixrec::Status::EndOfFile && status != fixrec::Status::BadField) {
            fail("read_fields returns a documented status", std::to_string(static_cast<int>(status)));
        }
        if (status == fixrec::Status::EndOfFile && ++ends == 2) break;
    }
    fixrec::close_unit(kUnit);
    fixrec::end_run();
    return 0;
}
