// From the reading of the input section to the closing of the report a run
// allocates nothing: connections are slots of a fixed table, formats are
// compiled, records are assembled in the unit's buffer.  This binary counts
// every operator new of the process and runs a calculator's cycle twice (the
// first run warms up what grows once: the run's scratch strings, the
// report's string); the second must allocate nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "console_capture.h"
#include "fixrec/fixrec.h"
#include "test_files.h"

namespace {
long g_allocations = 0;
}  // namespace

void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace fixrec::literals;
using fixrec::Status;

constexpr fixrec::FormatView kHeader = "(80A1)"_fmt;
constexpr fixrec::FormatView kValue = "(38X,E12.5)"_fmt;
constexpr fixrec::FormatView kTitle = "(5X,'     ***  REPORT OF A RUN  ***',/)"_fmt;
constexpr fixrec::FormatView kValueLine = "(2X,'A VALUE OF THE INPUT SECTION       Q',E12.5,'(m3/s)')"_fmt;
constexpr fixrec::FormatView kRow = "(6X,E12.5,6X,E12.5,6X,E12.5)"_fmt;

enum class Medium { File, Memory };

// One cycle of a calculator: the input section (six header lines, five
// values) read and closed, the report written and closed.  Returns the
// allocations between the first opening and the last closing.
long cycle(Medium medium, const std::string& path, const std::string& input, std::string& report) {
    test_support::CaptureConsole console;
    fixrec::begin_run({}, &console);
    const long before = g_allocations;

    const Status opened = medium == Medium::File ? fixrec::open_old(1, path) : fixrec::open_memory(1, input);
    EXPECT_EQ(opened, Status::Ok);
    char header[80];
    const auto header_dests = fixrec::each_char(header);
    float values[5] = {};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(fixrec::read_fields(1, kHeader, header_dests), Status::Ok);
    for (float& v : values) EXPECT_EQ(fixrec::read_fields(1, kValue, {v}), Status::Ok);
    fixrec::close_unit(1);

    const Status reopened =
        medium == Medium::File ? fixrec::open_old(1, path) : fixrec::open_memory_output(1, report);
    EXPECT_EQ(reopened, Status::Ok);
    fixrec::write_line(1, kTitle);
    fixrec::write_line(1, kTitle);
    fixrec::write_line(1, kTitle);
    for (float v : values) fixrec::write_line(1, kValueLine, {v * 2.0f});
    for (int i = 0; i < 200; ++i) {
        const auto x = static_cast<float>(i);
        fixrec::write_line(1, kRow, {x, x * 0.5f, -x});
    }
    fixrec::close_unit(1);

    const long allocations = g_allocations - before;
    fixrec::end_run();
    return allocations;
}

TEST(Heap, NothingAllocatedFromReadingToTheReport) {
    std::string input;
    for (int k = 0; k < 6; ++k) input += "header line " + std::to_string(k) + "\r\n";
    for (int k = 0; k < 5; ++k) input += std::string(38, ' ') + "  .12500E+01\r\n";

    test_support::TempDir dir;
    const std::string path = (dir / "DATA.DAT").string();
    test_support::write_bytes(path, input);
    std::string report;
    for (const Medium medium : {Medium::File, Medium::Memory}) {
        SCOPED_TRACE(medium == Medium::File ? "file" : "memory");
        report.clear();
        cycle(medium, path, input, report);  // warm-up
        report.clear();
        EXPECT_EQ(cycle(medium, path, input, report), 0);
    }
    EXPECT_GT(report.size(), 200u * 56u);
}

}  // namespace
