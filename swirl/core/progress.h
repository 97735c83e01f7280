// The progress line of a long sweep, drawn on standard error:
//
//     12345/100000 cases  8,123/s  0:11 left
//
// The line is redrawn in place (it starts with CR and is padded with blanks
// over a longer previous one) at most ten times a second, whatever the rate
// of update() calls, and erased by finish() (or the destructor), so that the
// terminal is left as it was.  The rate is the average since construction;
// the time left follows from it and is shown as M:SS or H:MM:SS.  Nothing is
// drawn in the first tenth of a second, so short runs leave no trace.
//
// A disabled line writes nothing at all; the caller enables it only for a
// terminal:  Progress p(total, isatty(2) && !no_progress);
// The clock can be replaced (tests use a clock they advance by hand).  One
// thread calls update(), normally the one that writes the output.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace swirl {

class Progress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Progress(std::int64_t total, bool enabled);
    Progress(std::int64_t total, bool enabled, std::ostream& out, Clock clock);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `done` cases of the total are finished.
    void update(std::int64_t done);

    // Erases the line; later updates draw nothing.
    void finish();

    // The text of the line (without CR and padding) after `elapsed`.
    static std::string text(std::int64_t done, std::int64_t total, std::chrono::nanoseconds elapsed);

private:
    std::int64_t total_;
    bool enabled_;
    std::ostream& out_;
    Clock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_draw_;
    std::size_t drawn_ = 0;  // length of the line on the screen
};

}  // namespace swirl
