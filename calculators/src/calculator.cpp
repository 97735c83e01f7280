// The parts of a Calculator that are not templates.
#include "calculators/calculator.h"

#include <algorithm>
#include <optional>
#include <string>

#include "fixrec/input_record.h"
#include "fixrec/render.h"

namespace calculators {

void Outcome::clear() {
    valid = false;
    results.clear();
    computed.clear();
    verdicts.clear();
    console.clear();
    failure.clear();
    tables.clear();
}

namespace {

// 1-based columns from the first to the last data field of a format.
void field_columns(const fixrec::FormatView& format, int& first, int& last) {
    int column = 0;
    first = last = 0;
    for (const fixrec::Descriptor& d : format.descriptors()) {
        if (d.kind == fixrec::DescKind::Skip) column += d.w;
        if (!d.is_data()) continue;
        if (first == 0) first = column + 1;
        column += d.w;
        last = column;
    }
}

}  // namespace

bool report_holds(const Field& field, const Value& value) {
    const fixrec::Descriptor d = first_field(report_format(field, value));
    std::string text;
    if (field.type == ValueType::Integer)
        fixrec::render_field(d, fixrec::Item(value.integer), text);
    else
        fixrec::render_field(d, fixrec::Item(value.real), text);
    return text.find('*') == std::string::npos;
}

ReadFailure read_failure(std::string_view bytes, int line, std::string_view field, LineKind kind,
                         const fixrec::FormatView& read, fixrec::Status status) {
    ReadFailure f;
    f.line = line;
    f.kind = kind;
    f.field = kind == LineKind::Header ? "header line" : kind == LineKind::Label ? "label line" : field;
    field_columns(read, f.first_column, f.last_column);
    const std::optional<fixrec::InputRecord> record = fixrec::find_record(bytes, line);
    const bool present = record.has_value();
    const std::string_view text = present ? record->text : std::string_view();
    if (present && static_cast<std::size_t>(f.first_column) <= text.size()) {
        const auto from = static_cast<std::size_t>(f.first_column - 1);
        const auto to = std::min(text.size(), static_cast<std::size_t>(f.last_column));
        f.found.assign(text.substr(from, to - from));
    }
    if (!present || status == fixrec::Status::EndOfFile)
        f.reason = ReadReason::EndOfFile;
    else if (status == fixrec::Status::RealOverflow)
        f.reason = ReadReason::BeyondSingle;
    else
        f.reason = ReadReason::NotANumber;
    return f;
}

std::string words_of(const fixrec::FormatView& format) {
    std::string text;
    for (const fixrec::Descriptor& d : format.descriptors())
        if (d.kind == fixrec::DescKind::Literal)
            text += format.text(d);
        else if (d.kind == fixrec::DescKind::Skip || d.kind == fixrec::DescKind::Slash)
            text += ' ';
    return words_of(std::string_view(text));
}

std::string words_of(std::string_view text) {
    std::string words;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ') {
            blank = true;
            continue;
        }
        if (blank && !words.empty()) words += ' ';
        blank = false;
        words += c;
    }
    const std::size_t first = words.find_first_not_of("* ");
    if (first == std::string::npos) return {};
    const std::size_t last = words.find_last_not_of("* ");
    return words.substr(first, last - first + 1);
}

void add_words(std::string& verdict, std::string_view words) {
    if (!verdict.empty()) verdict += "; ";
    verdict += words;
}

std::mutex& memory_unit_mutex() {
    static std::mutex m;
    return m;
}

}  // namespace calculators
