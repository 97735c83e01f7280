// A console that records what a run writes, and a run around a test body.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fixrec/fixrec.h"

namespace test_support {

// Collects the bytes of standard output and standard error (verbatim bytes
// among them) and answers the prompt from `keyboard`; an empty keyboard is
// the end of the input.
class CaptureConsole : public fixrec::ConsoleDevice {
public:
    std::string out;
    std::string err;
    std::deque<std::string> keyboard;

    void write_out(std::string_view bytes) override { out.append(bytes); }
    void write_err(std::string_view bytes) override { err.append(bytes); }
    bool read_line(std::string& line) override {
        if (keyboard.empty()) return false;
        line = std::move(keyboard.front());
        keyboard.pop_front();
        return true;
    }
};

// Keeps apart what a console receives as program text ('t' out, 'T' err)
// and as verbatim bytes ('v' out, 'V' err), call by call.
class SplitConsole final : public fixrec::ConsoleDevice {
public:
    std::vector<std::pair<char, std::string>> parts;
    void write_out(std::string_view b) override { parts.emplace_back('t', b); }
    void write_err(std::string_view b) override { parts.emplace_back('T', b); }
    void write_out_verbatim(std::string_view b) override { parts.emplace_back('v', b); }
    void write_err_verbatim(std::string_view b) override { parts.emplace_back('V', b); }
    bool read_line(std::string&) override { return false; }
};

// Starts a run with a capturing console; ends it (units closed) on
// destruction unless end() was called.
class ScopedRun {
public:
    explicit ScopedRun(std::vector<std::string> args = {}) {
        fixrec::begin_run(std::move(args), &console);
    }
    ~ScopedRun() {
        if (ended_) return;
        try {
            fixrec::end_run();
        } catch (...) {
        }
    }
    ScopedRun(const ScopedRun&) = delete;
    ScopedRun& operator=(const ScopedRun&) = delete;
    void end() {
        ended_ = true;
        fixrec::end_run();
    }
    CaptureConsole console;

private:
    bool ended_ = false;
};

}  // namespace test_support
