#include "model.h"

#include <algorithm>
#include <stdexcept>
#include <array>
#include <cmath>
#include <limits>

#include "drain_funnel/run.h"
#include "separator/run.h"
#include "vortex_chamber/run.h"
#include "fixrec/ascii.h"
#include "fixrec/edit_input.h"
#include "fixrec/input_record.h"
#include "fixrec/edit_output.h"
#include "fixrec/render.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"

namespace swirl {

namespace {

using fixrec::equal_ignoring_case;
using fixrec::starts_ignoring_case;

std::string_view base_name(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Columns before the first data descriptor of a statement (skips, and on
// output the literal texts), and that descriptor.
struct DataAt {
    int before = 0;
    fixrec::Descriptor desc;
};

DataAt first_data(const fixrec::FormatView& format, bool output) {
    DataAt at;
    for (const fixrec::Descriptor& d : format.descriptors()) {
        if (d.is_data()) {
            at.desc = d;
            return at;
        }
        if (d.kind == fixrec::DescKind::Skip) at.before += d.w;
        if (output && d.kind == fixrec::DescKind::Literal) at.before += static_cast<int>(format.text(d).size());
    }
    throw std::logic_error("a value line without a field: " + std::string(format.source()));
}

}  // namespace

std::span<const Calculator* const> programs() {
    static const std::array<const Calculator*, 3> all{&drain_funnel::calculator(), &separator::calculator(),
                                                      &vortex_chamber::calculator()};
    return all;
}

const Calculator* find_program(std::string_view name) {
    for (const Calculator* c : programs())
        if (equal_ignoring_case(c->name, name)) return c;
    return nullptr;
}

std::string unknown_program(std::string_view name) {
    std::vector<std::string> names;
    for (const Calculator* c : programs()) names.emplace_back(c->name);
    const std::string hint = did_you_mean(name, names);
    return "unknown program " + std::string(name) + " (" + (hint.empty() ? "" : hint + " ") + "one of " +
           program_names() + ")";
}

std::string program_names() {
    std::string s;
    for (const Calculator* c : programs()) s.append(s.empty() ? "" : ", ").append(c->name);
    return s;
}

const Calculator& detect_program(std::string_view path, std::string_view bytes,
                                 std::optional<std::string_view> program) {
    if (program) {
        if (const Calculator* c = find_program(*program)) return *c;
        throw UsageError(unknown_program(*program));
    }
    const std::string_view base = base_name(path);
    for (const Calculator* c : programs())
        if (starts_ignoring_case(base, c->name)) return *c;
    // A report names its program in its banner, within its header lines.
    const std::string_view head = bytes.substr(0, std::min<std::size_t>(bytes.size(), 2048));
    for (const Calculator* c : programs())
        if (!c->banner.empty() && head.find(c->banner) != std::string_view::npos) return *c;
    // A report converted to UTF-8 by mistake: its program is still known, and
    // reading it then says that the file is UTF-8 and how to convert it.
    for (const Calculator* c : programs())
        if (!c->banner.empty() && head.find(to_utf8(c->banner)) != std::string_view::npos) return *c;
    throw UsageError("cannot tell which program " + std::string(path) + " is for: give --program " +
                     program_names());
}

std::size_t input_index(const Calculator& calc, std::string_view name) {
    for (std::size_t i = 0; i < calc.inputs.size(); ++i)
        if (equal_ignoring_case(calc.inputs[i].name, name)) return i;
    std::vector<std::string> names;
    for (const Field& f : calc.inputs) names.emplace_back(f.name);
    const std::string hint = did_you_mean(name, names);
    throw UsageError(std::string(calc.name) + " has no input " + std::string(name) + " (" +
                     (hint.empty() ? "" : hint + " ") + "its inputs: " + input_names(calc) + ")");
}

std::string input_names(const Calculator& calc) {
    std::string s;
    for (const Field& f : calc.inputs) s.append(s.empty() ? "" : ", ").append(f.name);
    return s;
}

namespace {

// The place of the field with the report statement that writes it.
FieldPlace place_with(const Field& field, const fixrec::FormatView& report_statement) {
    const DataAt read = first_data(field.read, false);
    const DataAt report = first_data(report_statement, true);
    FieldPlace p;
    p.read = read.desc;
    p.report = report.desc;
    p.read_first = read.before + 1;
    p.read_last = read.before + read.desc.w;
    p.report_first = report.before + 1;
    p.report_last = report.before + report.desc.w;
    return p;
}

}  // namespace

FieldPlace field_place(const Field& field) { return place_with(field, field.report); }

FieldPlace field_place(const Field& field, const Value& value) {
    return place_with(field, calculators::report_format(field, value));
}

Held hold(const Field& field, double typed) {
    const bool whole = field.type == calculators::ValueType::Integer;
    if (whole && (typed != std::trunc(typed) || std::fabs(typed) > std::numeric_limits<std::int32_t>::max()))
        throw UsageError(std::string(field.name) + " takes a whole number that fits its field");
    calculators::Value as_typed;
    if (whole) as_typed.integer = static_cast<std::int32_t>(typed);
    // The statement the report would write this value with.
    const FieldPlace place = field_place(field, as_typed);
    Held held;
    if (whole) {
        fixrec::render_field(place.report, fixrec::Item(as_typed.integer), held.field);
    } else {
        if (!std::isfinite(static_cast<float>(typed)))
            throw UsageError(std::string(field.name) + ": the value is beyond single precision");
        fixrec::render_field(place.report, fixrec::Item(static_cast<float>(typed)), held.field);
    }
    if (held.field.find_first_not_of('*') == std::string::npos)
        throw UsageError(std::string(field.name) + ": the field (" +
                         (place.report_first == place.report_last
                              ? "column " + std::to_string(place.report_first)
                              : "columns " + std::to_string(place.report_first) + "-" +
                                    std::to_string(place.report_last)) +
                         ") cannot hold the value");
    // The program reads its whole field: the report's field within it, the
    // rest blank.
    std::string read_field(static_cast<std::size_t>(place.read_last - place.read_first + 1), ' ');
    read_field.replace(static_cast<std::size_t>(place.report_first - place.read_first), held.field.size(),
                       held.field);
    const bool integer = field.type == calculators::ValueType::Integer;
    const fixrec::InputStatus status =
        integer ? fixrec::read_integer(read_field, held.value.integer)
                : fixrec::read_real(read_field, place.read.d, held.value.real);
    if (status != fixrec::InputStatus::Ok)
        throw UsageError(std::string(field.name) + ": the field cannot hold the value");
    held.exact = integer ? held.value.integer == static_cast<std::int32_t>(typed)
                         : held.value.real == static_cast<float>(typed);
    return held;
}

std::string printed(const Field& field, const Value& value) {
    if (field.shown == calculators::Shown::Console && field.type == calculators::ValueType::Real) {
        char buf[64];
        return std::string(buf, fixrec::edit_list_real(value.real, buf));
    }
    const FieldPlace place = field_place(field, value);
    std::string text;
    if (field.type == calculators::ValueType::Integer)
        fixrec::render_field(place.report, fixrec::Item(value.integer), text);
    else
        fixrec::render_field(place.report, fixrec::Item(value.real), text);
    const std::size_t lead = text.find_first_not_of(' ');
    return lead == std::string::npos ? std::string() : text.substr(lead);
}

std::string put_field(std::string_view bytes, const Field& field, const Held& held) {
    const FieldPlace place = field_place(field);
    const std::optional<fixrec::InputRecord> line = fixrec::find_record(bytes, field.line);
    if (!line) throw std::invalid_argument("the data file has no line " + std::to_string(field.line));
    std::string text(line->text);
    // The report's field as hold() rendered it, which may be wider than the
    // one of the line's usual statement.
    const auto need = static_cast<std::size_t>(place.report_first - 1) + held.field.size();
    if (text.size() < need) text.resize(need, ' ');
    const auto read_first = static_cast<std::size_t>(place.read_first - 1);
    const std::size_t read_end = std::min(text.size(), static_cast<std::size_t>(place.read_last));
    for (std::size_t k = read_first; k < read_end; ++k) text[k] = ' ';
    text.replace(static_cast<std::size_t>(place.report_first - 1), held.field.size(), held.field);
    std::string out(bytes.substr(0, line->start));
    out += text;
    out += bytes.substr(line->start + line->text.size());
    return out;
}

std::string field_text(std::string_view bytes, const Field& field) {
    const FieldPlace place = field_place(field);
    const std::optional<fixrec::InputRecord> line = fixrec::find_record(bytes, field.line);
    if (!line) return {};
    const std::string_view text = line->text;
    const auto first = static_cast<std::size_t>(place.read_first - 1);
    if (first >= text.size()) return {};
    return std::string(text.substr(first, static_cast<std::size_t>(place.read_last) - first));
}

}  // namespace swirl
