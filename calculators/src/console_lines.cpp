// The two sinks of a calculator's console lines.
#include "calculators/console_lines.h"

#include "fixrec/fixrec.h"
#include "fixrec/render.h"

namespace calculators {

void RunConsole::write_list(std::span<const fixrec::Item> items) { fixrec::write_console(items); }

void RunConsole::write_formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) {
    fixrec::write_line(fixrec::kConsoleUnit, format, items);
}

void RunConsole::write_failure(std::string_view line) { fixrec::write_console({line}); }

namespace {

// One record as the console shows it, on `lines`: what its carriage control
// sends before it ends a line at each CR LF and goes on the current line
// otherwise, and so does the record's text.  Before the first record the
// console stands at the start of its first line.
void show_record(std::vector<std::string>& lines, char control, std::string_view text) {
    const bool first = lines.empty();
    if (first) lines.emplace_back();
    const std::string_view before = fixrec::carriage_control(control, first);
    for (std::size_t at = 0; at < before.size();) {
        if (before.substr(at, 2) == "\r\n") {
            lines.emplace_back();
            at += 2;
        } else {
            lines.back() += before[at++];
        }
    }
    lines.back().append(text);
}

}  // namespace

void CapturedConsole::write_list(std::span<const fixrec::Item> items) {
    // A list-directed record starts with a blank for carriage control.
    records_.clear();
    fixrec::render_console_record(items, records_);
    show_record(lines_, ' ', records_);
}

void CapturedConsole::write_formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) {
    records_.clear();
    fixrec::render_record(format, items, records_);
    constexpr std::string_view kCrLf = "\r\n";
    const std::string_view all = records_;
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t end = all.find(kCrLf, at);
        const std::string_view record = all.substr(at, end - at);
        at = end == std::string_view::npos ? all.size() : end + kCrLf.size();
        const char control = record.empty() ? ' ' : record.front();
        show_record(lines_, control, record.empty() ? record : record.substr(1));
    }
}

void CapturedConsole::write_failure(std::string_view line) { failure_.assign(line); }

}  // namespace calculators
