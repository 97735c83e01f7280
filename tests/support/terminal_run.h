// Runs a program with standard input on a pseudo-terminal and standard output
// and standard error each on that terminal or on a pipe of its own, with the
// locale variables chosen, for tests of what a program shows on a terminal.
// The terminal is raw (no echo, no output processing): it receives the bytes
// exactly as written.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

enum class To { Terminal, Pipe };
inline void PrintTo(To to, std::ostream* os) { *os << (to == To::Terminal ? "terminal" : "pipe"); }

struct TerminalRun {
    std::string program;
    std::vector<std::string> args;
    std::string cwd;
    // The locale variables of the child; LC_ALL, LC_CTYPE and LANG are
    // otherwise unset.
    std::vector<std::pair<std::string, std::string>> locale;
    To out = To::Terminal;
    To err = To::Terminal;
    std::string keyboard;  // typed before the program starts
    std::chrono::seconds timeout{20};  // then the child is killed
};

struct TerminalResult {
    int exit_code = -1;
    bool timed_out = false;
    std::string terminal;  // what the terminal received
    std::string out_pipe;  // standard output, when it was a pipe
    std::string err_pipe;
};

// Throws std::runtime_error when the terminal, a pipe or the child cannot be
// made.
TerminalResult run_on_terminal(const TerminalRun& run);

}  // namespace test_support
