// Fuzz target: one calculator run in-process on arbitrary bytes as its data
// file, in a scratch directory, with the keyboard closed.
//
// What must hold after every run:
//  - the run ends with one of the promised exit codes (a writable directory
//    and file leave no reason for "report not written");
//  - when no report was written (unreadable input, invalid arithmetic) the
//    data file is byte for byte what it was;
//  - a report ends its last line with CR LF and is itself an input section
//    that reads back: a second run on it computes (or finds the same invalid
//    arithmetic), and a third run reproduces the second report byte for byte.
//    The one known way a report cannot be read back is an input value too
//    wide for its report field (F11.4 of a value of a million and more, or a
//    two-digit count in a one-digit field): the field is printed as asterisks
//    and the next run stops at it without touching the file;
//  - nothing but the data file is left in the directory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "calculators/exit_code.h"
#include "fixrec/fixrec.h"
#include "fuzz_support.h"
#include SWIRL_PROGRAM_HEADER

namespace {

using fuzz_support::fail;

const calculators::Calculator& program() { return SWIRL_PROGRAM::calculator(); }

// A console whose keyboard input has ended: a prompt reads end of input.
class ClosedConsole final : public fixrec::ConsoleDevice {
public:
    void write_out(std::string_view bytes) override { out.append(bytes); }
    void write_err(std::string_view bytes) override { err.append(bytes); }
    bool read_line(std::string&) override { return false; }
    std::string out;
    std::string err;
};

struct Run {
    int exit_code;
    std::string console;
    std::string file;
};

Run run_program() {
    ClosedConsole console;
    // As the program's main runs it: on its data file in the current directory.
    const std::string data_name(program().data_file);
    const int code = program().run(data_name, {}, &console);
    const std::vector<std::string> names = fuzz_support::directory_entries();
    if (names.size() != 1 || names[0] != data_name) {
        std::string listing = "directory:";
        for (const auto& n : names) listing += " [" + n + "]";
        fail("only the data file is left in the directory", listing);
    }
    return {code, console.out + console.err, fuzz_support::read_file(data_name.c_str())};
}

// True when a line of the report shows an input value that overflowed its
// F11.4 field (columns 42-52) or its one-digit count field (column 47).
bool shows_overflowed_input_field(std::string_view report) {
    std::size_t pos = 0;
    while (pos < report.size()) {
        std::size_t end = report.find("\r\n", pos);
        if (end == std::string_view::npos) end = report.size();
        const std::string_view line = report.substr(pos, end - pos);
        pos = end + 2;
        if (line.size() >= 52 && line[40] != '*' && line.substr(41, 11) == "***********" &&
            (line.size() == 52 || line[52] != '*')) {
            return true;
        }
        if (line.size() >= 47 && line[45] != '*' && line[46] == '*' &&
            (line.size() == 47 || line[47] != '*')) {
            return true;
        }
    }
    return false;
}

std::string describe(const Run& r) {
    return "exit " + std::to_string(r.exit_code) + "\nconsole:\n" + r.console + "\nfile:\n" + r.file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_support::enter_scratch_directory();
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzz_support::write_file(std::string(program().data_file).c_str(), input);

    const Run first = run_program();
    switch (first.exit_code) {
    case calculators::kExitOk:
        break;
    case calculators::kExitUnreadable:
    case calculators::kExitInvalidArithmetic:
        if (first.file != input) fail("a run that writes no report leaves the data file as it was", describe(first));
        return 0;
    default:
        fail("the exit code is 0, 2 or 3 for a data file in a writable directory", describe(first));
    }
    if (first.file.size() < 2 || first.file.compare(first.file.size() - 2, 2, "\r\n") != 0) {
        fail("the report ends with CR LF", describe(first));
    }

    const Run second = run_program();
    if (second.exit_code == calculators::kExitInvalidArithmetic ||
        (second.exit_code == calculators::kExitUnreadable && shows_overflowed_input_field(first.file))) {
        if (second.file != first.file) fail("a run that writes no report leaves the report as it was", describe(second));
        return 0;
    }
    if (second.exit_code != calculators::kExitOk) fail("the report reads back as input", describe(first) + "\n---\n" + describe(second));

    const Run third = run_program();
    if (third.exit_code != calculators::kExitOk || third.file != second.file || third.console != second.console) {
        fail("a run on the report of a report reproduces it", describe(second) + "\n---\n" + describe(third));
    }
    return 0;
}
