#include "swirl/core/progress.h"

#include <cmath>
#include <iostream>

namespace swirl {

namespace {

constexpr std::chrono::milliseconds kRedraw{100};

// 1234567 -> "1,234,567"
std::string grouped(std::int64_t v) {
    std::string digits = std::to_string(v);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// 7 -> "07": minutes and seconds after the first field of a time.
std::string two(std::int64_t v) {
    std::string s = std::to_string(v);
    if (s.size() < 2) s.insert(s.begin(), '0');
    return s;
}

}  // namespace

Progress::Progress(std::int64_t total, bool enabled)
    : Progress(total, enabled, std::cerr, [] { return std::chrono::steady_clock::now(); }) {}

Progress::Progress(std::int64_t total, bool enabled, std::ostream& out, Clock clock)
    : total_(total), enabled_(enabled), out_(out), clock_(std::move(clock)) {
    if (enabled_) start_ = last_draw_ = clock_();
}

Progress::~Progress() { finish(); }

std::string Progress::text(std::int64_t done, std::int64_t total, std::chrono::nanoseconds elapsed) {
    std::string line = "  ";
    line.append(std::to_string(done)).append("/").append(std::to_string(total)).append(" cases");
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (done <= 0 || seconds <= 0) return line;
    const double rate = static_cast<double>(done) / seconds;
    line.append("  ");
    if (rate >= 10) {
        line.append(grouped(std::llround(rate)));
    } else {
        const auto tenths = std::llround(rate * 10);
        line.append(std::to_string(tenths / 10)).append(".").append(std::to_string(tenths % 10));
    }
    const auto left = static_cast<std::int64_t>(std::ceil(static_cast<double>(total - done) / rate));
    const std::int64_t h = left / 3600, m = left / 60 % 60, s = left % 60;
    line.append("/s  ");
    if (h > 0) line.append(std::to_string(h)).append(":").append(two(m));
    else line.append(std::to_string(m));
    line.append(":").append(two(s)).append(" left");
    return line;
}

void Progress::update(std::int64_t done) {
    if (!enabled_) return;
    const auto now = clock_();
    if (now - last_draw_ < kRedraw) return;
    last_draw_ = now;
    std::string line = text(done, total_, now - start_);
    const std::size_t length = line.size();
    if (length < drawn_) line.append(drawn_ - length, ' ');
    drawn_ = length;
    out_ << '\r' << line << std::flush;
}

void Progress::finish() {
    if (!enabled_) return;
    enabled_ = false;
    if (drawn_ > 0) out_ << '\r' << std::string(drawn_, ' ') << '\r' << std::flush;
}

}  // namespace swirl
