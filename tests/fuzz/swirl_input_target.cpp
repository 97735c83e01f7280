// Fuzz target: what the swirl command takes from a person.  The input is a
// first line "<PROGRAM> edit" or "<PROGRAM> set", then
//   edit: the UTF-8 text of a data file as an editor leaves it;
//   set:  NAME=VALUE lines, then optionally a NUL byte and the data file
//         (code page 866) they go into; without it, the program's example.
//
// What must hold:
//  - edit: the text is refused with a line naming its line ("line N...")
//    and nothing else, or it becomes a data file whose every line ends with
//    CR LF, whose input section reads with the program's rules, and which
//    comes back byte for byte through a second edit that changes nothing;
//  - set: the values are refused with a message (a usage error), or, on a
//    data file that reads, each field holds what a report would print for
//    its value (no asterisks), the program reads exactly that value back,
//    every other input reads as before, no byte outside the written fields
//    changes, and writing the same values again changes nothing;
//  - the checks of a hand-edited file take any data file (each finding one
//    line of text).
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "swirl/core/usage_error.h"
#include "swirl/model/edits.h"
#include "swirl/model/model.h"

namespace {

using calculators::ReadFailure;
using fuzz_support::fail;
using swirl::Calculator;
using swirl::Field;
using swirl::Value;

bool same(const Field& f, const Value& a, const Value& b) {
    if (f.type == calculators::ValueType::Integer) return a.integer == b.integer;
    return std::bit_cast<std::uint32_t>(a.real) == std::bit_cast<std::uint32_t>(b.real);
}

std::vector<std::string_view> lines_of(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t lf = bytes.find('\n', at);
        const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
        lines.push_back(bytes.substr(at, end - at));
        at = end;
    }
    return lines;
}

void check_edit(const Calculator& calc, std::string_view text) {
    const swirl::EditedFile edited = swirl::data_file_from_text(calc, text);
    if (!edited.refusal.empty()) {
        if (!edited.bytes.empty()) fail("a refused text gives no data file", edited.refusal);
        if (!edited.refusal.starts_with("line ") || edited.refusal.size() < 6 || edited.refusal[5] < '1' ||
            edited.refusal[5] > '9')
            fail("a refusal names its line", edited.refusal);
        return;
    }
    const std::string& bytes = edited.bytes;
    if (!bytes.ends_with("\r\n")) fail("an accepted data file ends with CR LF", bytes);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) fail("every LF follows a CR", bytes);
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) fail("every CR ends a line", bytes);
    }
    std::vector<Value> inputs(calc.inputs.size());
    ReadFailure failure;
    if (!calc.read(bytes, inputs, failure)) fail("an accepted data file reads", bytes);
    const swirl::EditedFile again = swirl::data_file_from_text(calc, swirl::text_for_editing(bytes));
    if (!again.refusal.empty() || again.bytes != bytes)
        fail("an edit that changes nothing gives the same bytes", again.refusal);
}

std::string trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

void check_set(const Calculator& calc, std::string_view input) {
    const std::size_t nul = input.find('\0');
    const std::string_view bytes = nul == std::string_view::npos ? calc.example : input.substr(nul + 1);
    for (const swirl::Finding& f : swirl::check_data_file(calc, "case.dat", bytes))
        if (f.message.empty() || f.message.find('\n') != std::string::npos) fail("a finding is one line", f.message);
    std::vector<std::string> texts;
    for (const std::string_view line : lines_of(input.substr(0, nul))) {
        texts.emplace_back(line.ends_with('\n') ? line.substr(0, line.size() - 1) : line);
        if (texts.size() == 16) break;
    }
    std::vector<swirl::Assignment> assignments;
    try {
        assignments = swirl::parse_assignments(calc, texts);
    } catch (const swirl::UsageError& e) {
        if (std::string_view(e.what()).empty()) fail("a refusal says why");
        return;
    }
    std::vector<Value> before(calc.inputs.size()), after(calc.inputs.size());
    ReadFailure failure;
    if (!calc.read(bytes, before, failure)) return;  // swirl set stops before (exit 2)

    std::string written;
    try {
        written = swirl::assign(calc, bytes, assignments);
    } catch (const std::logic_error& e) {
        fail("accepted values are written so that they read back", e.what());
    }
    if (!calc.read(written, after, failure)) fail("the data file reads after set", written);
    std::vector<bool> assigned_line(static_cast<std::size_t>(calc.input_lines) + 2, false);
    for (const swirl::Assignment& a : assignments) {
        const Field& f = calc.inputs[a.input];
        const swirl::FieldPlace p = swirl::field_place(f, a.held.value);
        if (a.held.field.size() != static_cast<std::size_t>(p.report_last - p.report_first + 1) ||
            a.held.field.find('*') != std::string::npos)
            fail("a field holds a report's field, never asterisks", a.held.field);
        if (swirl::printed(f, a.held.value) != trimmed(a.held.field))
            fail("the field holds what a report prints for the value read back", a.held.field);
        assigned_line[static_cast<std::size_t>(f.line)] = true;
        before[a.input] = a.held.value;
    }
    for (std::size_t k = 0; k < calc.inputs.size(); ++k)
        if (!same(calc.inputs[k], before[k], after[k]))
            fail("each input reads its new value, every other its old one", calc.inputs[k].name);

    // Byte by byte: only the fields of the assigned lines change (a line too
    // short for its field is lengthened with blanks).
    const std::vector<std::string_view> old_lines = lines_of(bytes), new_lines = lines_of(written);
    if (old_lines.size() != new_lines.size()) fail("set keeps the lines", written);
    for (std::size_t n = 0; n < old_lines.size(); ++n) {
        if (n + 1 < assigned_line.size() && assigned_line[n + 1]) {
            const Field* f = nullptr;
            for (const Field& field : calc.inputs)
                if (field.line == static_cast<int>(n + 1)) f = &field;
            const swirl::FieldPlace p = swirl::field_place(*f);
            const std::string_view o = old_lines[n], w = new_lines[n];
            const std::size_t text_end = std::min(o.find_first_of("\r\n"), o.size());
            const auto first = static_cast<std::size_t>(p.read_first - 1);
            const auto last = static_cast<std::size_t>(p.read_last);
            const std::string_view old_head = o.substr(0, std::min(first, text_end));
            if (!w.starts_with(old_head)) fail("the bytes before a field stay", w);
            for (std::size_t i = old_head.size(); i < first; ++i)
                if (w[i] != ' ') fail("a short line is lengthened with blanks", w);
            const std::string_view old_tail = text_end > last ? o.substr(last) : o.substr(text_end);
            if (!w.ends_with(old_tail)) fail("the bytes after a field stay", w);
        } else if (old_lines[n] != new_lines[n]) {
            fail("lines without a new value stay as they were", new_lines[n]);
        }
    }
    if (swirl::assign(calc, written, assignments) != written) fail("setting the same values again changes nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lf = input.find('\n');
    if (lf == std::string_view::npos) return 0;
    const std::string_view head = input.substr(0, lf), rest = input.substr(lf + 1);
    const std::size_t blank = head.find(' ');
    if (blank == std::string_view::npos) return 0;
    const Calculator* calc = swirl::find_program(head.substr(0, blank));
    if (calc == nullptr) return 0;
    const std::string_view mode = head.substr(blank + 1);
    if (mode == "edit") check_edit(*calc, rest);
    if (mode == "set") check_set(*calc, rest);
    return 0;
}
