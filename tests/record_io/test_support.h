// Helpers for the record I/O tests: a console that records its bytes and a
// scratch directory with file helpers.
#pragma once

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fixrec/fixrec.h"

namespace fixrec_test {

class CaptureConsole final : public fixrec::ConsoleDevice {
public:
    std::string out;
    std::string err;
    std::deque<std::string> keyboard;  // lines the "user" types; empty = end of input

    void write_out(std::string_view bytes) override { out.append(bytes); }
    void write_err(std::string_view bytes) override { err.append(bytes); }
    bool read_line(std::string& line) override {
        if (keyboard.empty()) return false;
        line = keyboard.front();
        keyboard.pop_front();
        return true;
    }
};

class ScratchDir {
public:
    ScratchDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "fixrec-test-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(std::string_view name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void write_file(const std::string& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Starts a run with a capturing console; ends it (units closed) on destruction
// unless end() was called.
class ScopedRun {
public:
    explicit ScopedRun(std::vector<std::string> args = {}) { fixrec::begin_run(std::move(args), &console); }
    ~ScopedRun() {
        if (!ended_) {
            try {
                fixrec::end_run();
            } catch (...) {
            }
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

}  // namespace fixrec_test
