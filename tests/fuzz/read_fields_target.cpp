// Fuzz target: arbitrary bytes as a data file read record by record through
// the input formats of the calculators.  The first byte picks the order in
// which the formats take turns; the rest is the file.
//
// What must hold: every statement returns one of the documented statuses; a
// real that was read is a finite single-precision value; every statement
// consumes a record, so the reading comes to the end of the file; and the
// same bytes read from memory (open_memory) give the same statuses and
// values as read from a file, whose records the reader takes through its
// 1024-byte buffer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

using namespace fixrec::literals;

struct InputFormat {
    fixrec::FormatView format;
    Kind kind;
};

// The header and label lines, and the value lines of the three data files.
constexpr InputFormat kFormats[] = {
    {"(80A1)"_fmt, Kind::Text},      {"(38X,E12.5)"_fmt, Kind::Real}, {"(41X,E16.5)"_fmt, Kind::Real},
    {"(41X,F11.4)"_fmt, Kind::Real}, {"(46X,I1)"_fmt, Kind::Integer}, {"(46X,I2)"_fmt, Kind::Integer},
};
constexpr std::size_t kFormatCount = sizeof kFormats / sizeof kFormats[0];

constexpr int kUnit = 1;
constexpr const char* kName = "FIELDS.DAT";

// What one statement gave: its status and the bytes of its destinations.
struct Read {
    fixrec::Status status;
    std::string value;
    bool operator==(const Read&) const = default;
};

// Reads unit 1 to its second end of file, the formats taking turns after `order`.
std::vector<Read> read_all(unsigned order, std::size_t size) {
    // A record takes one byte at the least, so the reading ends within this
    // many statements (the end of the file is reported twice, the second time
    // for good: a Ctrl-Z in a numeric field ends its record as an end of file).
    const std::size_t limit = size + 3;
    std::vector<Read> reads;
    int ends = 0;
    for (std::size_t statements = 0;; ++statements) {
        if (statements > limit) fail("the reading reaches the end of the file");
        const InputFormat& f = kFormats[(order + statements * (1 + order / kFormatCount)) % kFormatCount];
        Read r{fixrec::Status::Ok, {}};
        if (f.kind == Kind::Text) {
            char text[80];
            std::memset(text, '#', sizeof text);
            r.status = fixrec::read_fields(kUnit, f.format, fixrec::each_char(text));
            r.value.assign(text, sizeof text);
        } else if (f.kind == Kind::Real) {
            float value = -7.25f;
            r.status = fixrec::read_fields(kUnit, f.format, {value});
            if (r.status == fixrec::Status::Ok && !std::isfinite(value)) fail("a real that was read is finite");
            r.value.assign(reinterpret_cast<const char*>(&value), sizeof value);
        } else {
            std::int32_t value = -7;
            r.status = fixrec::read_fields(kUnit, f.format, {value});
            r.value.assign(reinterpret_cast<const char*>(&value), sizeof value);
        }
        if (r.status != fixrec::Status::Ok && r.status != fixrec::Status::EndOfFile &&
            r.status != fixrec::Status::BadField && r.status != fixrec::Status::RealOverflow) {
            fail("read_fields returns a documented status", std::to_string(static_cast<int>(r.status)));
        }
        reads.push_back(r);
        if (r.status == fixrec::Status::EndOfFile && ++ends == 2) break;
    }
    fixrec::close_unit(kUnit);
    return reads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    fuzz_support::enter_scratch_directory();
    const unsigned order = data[0];
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz_support::write_file(kName, file);

    SilentConsole console;
    fixrec::begin_run({}, &console);
    if (fixrec::open_old(kUnit, kName) != fixrec::Status::Ok) fail("an existing file opens");
    const std::vector<Read> from_file = read_all(order, file.size());
    if (fixrec::open_memory(kUnit, file) != fixrec::Status::Ok) fail("a memory unit connects");
    const std::vector<Read> from_memory = read_all(order, file.size());
    if (from_memory != from_file) fail("memory reads as a file with the same bytes");
    fixrec::end_run();
    return 0;
}
