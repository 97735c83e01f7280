// The two sinks of a calculator's console lines.
#include "calculators/console_lines.h"

#include "fixrec/fixrec.h"

namespace calculators {

void RunConsole::write_list(std::span<const fixrec::Item> items) { fixrec::write_console(items); }

void RunConsole::write_formatted(const fixrec::FormatView& format, std::span<const fixrec::Item> items) {
    fixrec::write_line(fixrec::kConsoleUnit, format, items);
}

void RunConsole::write_failure(std::string_view line) { fixrec::write_console({line}); }

void CapturedConsole::write_list(std::span<const fixrec::Item> items) {
    // A list-directed record starts with a blank for carriage control, which
    // the console takes away: what remains is the line.
    std::string& line = lines_.emplace_back();
    fixrec::render_console_record(items, line);
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
        const std::string_view text = record.empty() ? record : record.substr(1);
        // How the console moves before the text; the lines are later shown
        // each ended by CR LF.
        switch (control) {
            case '0':  // one empty line first
                lines_.emplace_back();
                lines_.emplace_back(text);
                break;
            case '1':  // a new page: CR LF, a form feed, and back to the start of the line
                if (lines_.empty()) lines_.emplace_back();
                lines_.emplace_back("\f\r \r").append(text);
                break;
            case '+':  // over the last line
                if (lines_.empty()) lines_.emplace_back();
                lines_.back().append("\r").append(text);
                break;
            default:  // a new line
                lines_.emplace_back(text);
                break;
        }
    }
}

void CapturedConsole::write_failure(std::string_view line) { failure_.assign(line); }

}  // namespace calculators
