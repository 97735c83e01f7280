#include "swirl/model/edits.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"

namespace swirl {

namespace {

using calculators::ReadFailure;
using calculators::ValueType;

bool same_value(const Field& field, const Value& a, const Value& b) {
    if (field.type == ValueType::Integer) return a.integer == b.integer;
    return std::bit_cast<std::uint32_t>(a.real) == std::bit_cast<std::uint32_t>(b.real);
}

// Bytes found in a field, in UTF-8 and quoted, with control characters as
// \xNN so that a terminal shows them.
std::string quoted(std::string_view cp866) {
    std::string out = "\"";
    for (const char c : to_utf8(cp866)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string columns(int first, int last) {
    return first == last ? "column " + std::to_string(first)
                         : "columns " + std::to_string(first) + "-" + std::to_string(last);
}

}  // namespace

std::vector<Assignment> parse_assignments(const Calculator& calc, std::span<const std::string> texts) {
    std::vector<Assignment> out;
    for (const std::string& text : texts) {
        const std::size_t eq = text.find('=');
        if (eq == std::string::npos || eq == 0)
            throw UsageError("expected NAME=VALUE, got \"" + text + "\" (the inputs of " + std::string(calc.name) +
                             ": " + input_names(calc) + ")");
        const std::string_view name = std::string_view(text).substr(0, eq);
        const std::string_view value = std::string_view(text).substr(eq + 1);
        const std::size_t k = input_index(calc, name);
        const Field& field = calc.inputs[k];
        for (const Assignment& a : out)
            if (a.input == k) throw UsageError(std::string(field.name) + " is given twice");
        const std::optional<double> typed = parse_plain_decimal(value);
        if (!typed)
            throw UsageError(std::string(field.name) + "=" + std::string(value) +
                             ": not a plain decimal number (digits with a decimal point, an optional sign "
                             "and exponent: 0.0025, -3, 2.5e-3)");
        Assignment a{k, std::string(value), hold(field, *typed)};
        if (field.type == ValueType::Real && *typed != 0 && a.held.value.real == 0.0f)
            throw UsageError(std::string(field.name) + "=" + std::string(value) +
                             ": too small for single precision: its field would hold 0");
        out.push_back(std::move(a));
    }
    return out;
}

std::string assign(const Calculator& calc, std::string_view bytes, std::span<const Assignment> assignments) {
    std::vector<Value> before(calc.inputs.size()), after(calc.inputs.size());
    ReadFailure failure;
    if (!calc.read(bytes, before, failure))
        throw std::logic_error("assign: the data file does not read: " + describe(calc, failure));
    std::string out(bytes);
    for (const Assignment& a : assignments) out = put_field(out, calc.inputs[a.input], a.held);
    if (!calc.read(out, after, failure))
        throw std::logic_error("assign: the new data file does not read: " + describe(calc, failure));
    std::vector<Value> expected = before;
    for (const Assignment& a : assignments) expected[a.input] = a.held.value;
    for (std::size_t k = 0; k < calc.inputs.size(); ++k)
        if (!same_value(calc.inputs[k], expected[k], after[k]))
            throw std::logic_error("assign: " + std::string(calc.inputs[k].name) +
                                   " does not read back as written");
    return out;
}

std::string describe(const Calculator& calc, const ReadFailure& f) {
    const std::string line = "line " + std::to_string(f.line);
    const bool text_line = f.kind != calculators::LineKind::Value;
    const std::string what = text_line ? std::string("the ") + std::string(f.field)
                                       : std::string(f.field) + " (" + columns(f.first_column, f.last_column) + ")";
    if (f.end_of_file() && f.found.empty())
        return line + ": the file ends before " + what + " (the input section of " + std::string(calc.name) +
               " has " + std::to_string(calc.input_lines) + " lines)";
    const std::string where = line + ", column " + std::to_string(f.first_column) + ": ";
    if (f.end_of_file()) return where + what + " holds an end-of-file mark (Ctrl-Z): " + quoted(f.found);
    if (f.reason == calculators::ReadReason::BeyondSingle)
        return where + what + " is beyond single precision: " + quoted(f.found);
    bool integer = false;
    for (const Field& field : calc.inputs)
        if (field.line == f.line) integer = field.type == ValueType::Integer;
    return where + what + (integer ? " is not a whole number: " : " is not a number: ") + quoted(f.found);
}

std::string text_for_editing(std::string_view bytes) {
    const std::string utf8 = to_utf8(bytes);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if (!(utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')) out += utf8[i];
    return out;
}

EditedFile data_file_from_text(const Calculator& calc, std::string_view utf8, std::string_view path) {
    Cp866Text text = to_cp866(utf8);
    if (text.error)
        return {{}, "line " + std::to_string(text.error->line) + ", column " + std::to_string(text.error->column) +
                        ": " + text.error->what, {}};
    std::vector<Finding> findings = check_data_file(calc, path, text.bytes);
    std::vector<Value> inputs(calc.inputs.size());
    ReadFailure failure;
    if (!calc.read(text.bytes, inputs, failure))
        return {{}, describe(calc, failure) + failure_notes(findings, failure.line), {}};
    for (const Finding& f : findings)
        if (f.kind == FindingKind::Shifted) return {{}, f.message, {}};
    return {std::move(text.bytes), {}, std::move(findings)};
}

}  // namespace swirl
