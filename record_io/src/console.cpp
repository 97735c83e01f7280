// The console: carriage control, list-directed and formatted console
// statements, the file-name prompt, and the standard console device with
// its UTF-8 conversion for terminals.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "fixrec/ascii.h"
#include "fixrec/fixrec.h"
#include "fixrec/posix.h"
#include "fixrec/render.h"
#include "renderer.h"
#include "runtime.h"

namespace fixrec {

bool utf8_locale(const char* lc_all, const char* lc_ctype, const char* lang) {
    std::string_view name;
    for (const char* value : {lc_all, lc_ctype, lang}) {
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    std::string_view codeset = name.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    return equal_ignoring_case(codeset, "utf-8") || equal_ignoring_case(codeset, "utf8");
}

namespace detail {

namespace {

constexpr std::size_t kPromptLineMax = 260;

// ---------------------------------------------------------------------------
// Standard console: stdout, stderr, stdin.

// A closed console loses the message, nothing else.
void write_fd(int fd, std::string_view bytes) { posix::write_all(fd, bytes.data(), bytes.size()); }

// The program's texts are code page 866.  A terminal whose locale expects
// UTF-8 would show them as garbage, so on such a terminal they are converted;
// a pipe or a file gets the code page 866 bytes, which scripts and stored
// transcripts compare.  Verbatim bytes (file names, diagnostics) and the
// keyboard are never converted.
class StandardConsole final : public ConsoleDevice {
public:
    // Looks at the streams and the locale; once at the start of each run.
    void choose_encoding() {
        const bool out_tty = posix::is_terminal(STDOUT_FILENO);
        const bool err_tty = posix::is_terminal(STDERR_FILENO);
        const bool utf8 = (out_tty || err_tty) &&
                          utf8_locale(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
        utf8_out_ = utf8 && out_tty;
        utf8_err_ = utf8 && err_tty;
    }
    void write_out(std::string_view bytes) override { write_text(STDOUT_FILENO, utf8_out_, bytes); }
    void write_err(std::string_view bytes) override { write_text(STDERR_FILENO, utf8_err_, bytes); }
    void write_out_verbatim(std::string_view bytes) override { write_fd(STDOUT_FILENO, bytes); }
    void write_err_verbatim(std::string_view bytes) override { write_fd(STDERR_FILENO, bytes); }
    bool read_line(std::string& line) override {
        line.clear();
        bool any = false;
        char c;
        while (true) {
            const ssize_t k = posix::read(STDIN_FILENO, &c, 1);
            if (k <= 0) return any;
            any = true;
            if (c == '\n') break;
            line.push_back(c);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

private:
    void write_text(int fd, bool utf8, std::string_view bytes) {
        if (!utf8) {
            write_fd(fd, bytes);
            return;
        }
        converted_.clear();
        append_utf8(converted_, bytes);
        write_fd(fd, converted_);
    }

    bool utf8_out_ = false;
    bool utf8_err_ = false;
    std::string converted_;
};

StandardConsole g_standard_console;

// ---------------------------------------------------------------------------
// Records and carriage control.

// Sends one console record: the line movement its carriage-control character
// asks for, then its text, of which the `verbatim` ranges (ascending, offsets
// into `text`) go out unconverted.
void emit_record(char control, std::string_view text, std::span<const ByteRange> verbatim) {
    Runtime& r = runtime();
    ConsoleDevice& device = console_device();
    const bool first = r.console_records == 0;
    std::string& out = r.console_out;
    out.assign(carriage_control(control, first));
    std::size_t at = 0;
    for (const ByteRange& v : verbatim) {
        const std::size_t begin = std::max(v.begin, at);
        if (begin >= v.end) continue;
        out.append(text.substr(at, begin - at));
        if (!out.empty()) device.write_out(out);
        out.clear();
        device.write_out_verbatim(text.substr(begin, v.end - begin));
        at = v.end;
    }
    out.append(text.substr(at));
    if (!out.empty() || verbatim.empty()) device.write_out(out);
    ++r.console_records;
    r.console_line_open = true;
    r.console_used = true;
}

// The record writer of console statements: the record text and its
// verbatim parts, kept in the run's reused storage.
class ConsoleWriter : public StringRecordWriter {
public:
    ConsoleWriter() : StringRecordWriter(runtime().console_record), verbatim_(runtime().console_verbatim) {
        out_.clear();
        verbatim_.clear();
    }
    void put_verbatim(std::string_view s) {
        blanks();
        verbatim_.push_back({out_.size(), out_.size() + s.size()});
        out_.append(s);
    }
    // A record of a formatted statement: its first character is carriage
    // control, also when it came from a Verbatim item.
    void end_record() {
        drop_blanks();
        const std::size_t skip = out_.empty() ? 0 : 1;
        for (ByteRange& v : verbatim_) {
            v.begin = std::max(v.begin, skip) - skip;
            v.end = v.end >= skip ? v.end - skip : 0;
        }
        const char control = out_.empty() ? ' ' : out_.front();
        emit_record(control, std::string_view(out_).substr(skip), verbatim_);
        out_.clear();
        verbatim_.clear();
    }
    // The record of a list-directed statement: a blank for carriage control
    // and the text.
    void end_list_record() { emit_record(' ', out_, verbatim_); }

private:
    std::vector<ByteRange>& verbatim_;
};

}  // namespace

ConsoleDevice& console_device() {
    ConsoleDevice* device = runtime().console;
    return device != nullptr ? *device : g_standard_console;
}

void console_begin_run(ConsoleDevice* device) {
    Runtime& r = runtime();
    if (device == nullptr) g_standard_console.choose_encoding();
    r.console = device;
    r.console_records = 0;
    r.console_line_open = false;
    r.console_used = false;
}

void console_end_line() {
    Runtime& r = runtime();
    if (!r.console_used) return;
    console_device().write_out("\r\n");
    r.console_used = r.console_line_open = false;
}

void console_statement(const FormatView& format, std::span<const Item> items) {
    ConsoleWriter writer;
    render_statement(format, items, writer);
}

std::string ask_file_name(int unit) {
    Runtime& r = runtime();
    ConsoleDevice& device = console_device();
    std::string line;
    while (true) {
        std::string prompt;
        if (r.console_line_open) prompt += "\r\n";
        prompt += "File name missing or blank - please enter file name\r\nUNIT ";
        prompt += std::to_string(unit);
        prompt += "? ";
        device.write_out(prompt);
        r.console_line_open = true;
        r.console_used = true;
        if (!device.read_line(line))
            throw Fatal(RunTimeError::NoFileName, "no file name for unit " + std::to_string(unit) +
                                                      " - end of console input; nothing was written");
        r.console_line_open = false;  // the answer's Enter ended the line
        if (line.size() > kPromptLineMax) line.resize(kPromptLineMax);
        const std::string_view name = trim_blanks(line);
        if (!name.empty()) return std::string(name);
    }
}

// One console line, in the manner of the prompt, for a name that is taken.
void say_name_kept(std::string_view name) {
    Runtime& r = runtime();
    ConsoleDevice& device = console_device();
    // The name is the user's own bytes: never converted for a terminal.
    device.write_out(r.console_line_open ? "\r\nFile " : "File ");
    device.write_out_verbatim(name);
    device.write_out(" already exists and was kept\r\n");
    // The line is ended: nothing is left for the end of the run to close.
    r.console_line_open = false;
    r.console_used = false;
}

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace detail

void write_console(std::span<const Item> items) {
    detail::ConsoleWriter writer;
    detail::render_list(items, writer);
    writer.end_list_record();
}

void write_console(std::initializer_list<Item> items) {
    write_console(std::span<const Item>(items.begin(), items.size()));
}

}  // namespace fixrec
