// The three calculators as the fault and fixed-point tests drive them: where
// each executable and its example are, how its data file is laid out, and the
// console texts it shows when its data file fails it.  The texts come from the
// expectations of each program's own end-to-end tests.
#pragma once

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "bilm_report.h"
#include "kerva_expect.h"
#include "zarn1_expect.h"

namespace faults {

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kPrompt = bilm_expect::kPrompt;  // the same for every program

struct Program {
    std::string name;
    std::string path;          // the built executable
    std::string data_file;     // its fixed data file name in the working directory
    std::string example_file;  // in EXAMPLES_DIR: a report that is its own input
    // Layout of the input section: the header lines read as (80A1), the
    // number of lines read, a value line in the middle of the section, and
    // the columns (1-based, inclusive) of the real field of that line and of
    // the first value line.
    std::size_t header_lines;
    std::size_t input_lines;
    std::size_t middle_value_line;
    std::size_t field_first;
    std::size_t field_last;
    // Console lines of a run on the example (each shown on a line of its own).
    std::vector<std::string> example_console;
    std::string read_failed;
    // The data file cannot be opened at all / cannot be opened again for the
    // report.
    std::vector<std::string> open_failed;
    std::vector<std::string> reopen_failed;
    // After either failure the report (for an unopened file, the blank form)
    // goes to a new file named on the command line or at the prompt: BILM
    // and KERVA do so, ZARN1 stops.
    bool asks_for_a_file;
    std::string blank_form;  // the report of a run without a data file
};

inline void PrintTo(const Program& p, std::ostream* os) { *os << p.name; }

inline std::vector<Program> programs() {
    using std::string;
    return {
        Program{"BILM", BILM_PATH, "BILM.DAT", "BILM.DAT", 6, 11, 9, 39, 50,
                {},
                string(bilm_expect::kReadFailed),
                {string(bilm_expect::kOpenFailed), string(bilm_expect::kReopenFailed)},
                {string(bilm_expect::kReopenFailed)},
                true,
                bilm_expect::blank_report()},
        Program{"ZARN1", ZARN1_PATH, "ZARN1.DAT", "ZARN1.DAT", 10, 25, 13, 42, 57,
                {},
                string(zarn1_expect::kReadFailed),
                {string(zarn1_expect::kOpenFailed)},
                {string(zarn1_expect::kReopenFailed),
                 string(zarn1_expect::kReopenName) + string(zarn1_expect::kReopenNameField)},
                false,
                {}},
        // The example is the Stokes regime with a size distribution; the
        // efficiency for D50 alone exceeds 1 and is shown before the limit.
        Program{"KERVA", KERVA_PATH, "KERVA.DAT", "KERVA.DAT", 10, 33, 14, 42, 57,
                {string(kerva_expect::kKerva1), "ETA1fr=       2.070430", "ETA1(%)=      77.403400"},
                string(kerva_expect::kReadFailed),
                {string(kerva_expect::kOpenFailed), string(kerva_expect::kReopenFailed)},
                {string(kerva_expect::kReopenFailed)},
                true,
                kerva_expect::blank_report()},
    };
}

// The console as shown: every message on a line of its own, one CR LF after
// the last (nothing at all when there is no message).
inline std::string console(const std::vector<std::string>& messages) {
    std::string s;
    for (const auto& m : messages) s.append(m).append(kCrLf);
    return s;
}

inline std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::filesystem::path example_path(const Program& p) {
    return std::filesystem::path(EXAMPLES_DIR) / p.example_file;
}

// Lines of a text whose lines end with CR LF (the last one may lack it).
inline std::vector<std::string> split_crlf(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find(kCrLf, at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at));
            break;
        }
        out.push_back(text.substr(at, end - at));
        at = end + kCrLf.size();
    }
    return out;
}

inline std::string join(const std::vector<std::string>& lines, std::string_view end = kCrLf) {
    std::string s;
    for (const auto& l : lines) s.append(l).append(end);
    return s;
}

}  // namespace faults
