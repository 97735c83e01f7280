#include "swirl/model/checks.h"

#include <algorithm>

#include "fixrec/ascii.h"
#include "fixrec/edit_input.h"
#include "fixrec/input_record.h"
#include "fixrec/utf8.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"

namespace swirl {

namespace {

using calculators::ValueType;

bool blank(char c) { return c == ' ' || c == '\t'; }

// The usable text of each line (up to the LF, ended at the first CR), as the
// input statements see it; at most `count` lines.
std::vector<std::string_view> line_texts(std::string_view bytes, std::size_t count) {
    std::vector<std::string_view> lines;
    for (auto r = fixrec::record_at(bytes, 0); r && lines.size() < count; r = fixrec::record_at(bytes, r->next))
        lines.push_back(r->text);
    return lines;
}

// A letter of code page 866 in upper case, and a Cyrillic letter that looks
// like a Latin one as that Latin letter: a label compares the same whichever
// of the two was typed.
char folded(char ch) {
    auto b = static_cast<unsigned char>(fixrec::ascii_upper(ch));
    if (b >= 0xA0 && b <= 0xAF) b = static_cast<unsigned char>(b - 0x20);  // а-п
    else if (b >= 0xE0 && b <= 0xEF) b = static_cast<unsigned char>(b - 0x50);  // р-я
    else if (b == 0xF1) b = 0xF0;                                                // ё
    switch (b) {
        case 0x80: return 'A';
        case 0x82: return 'B';
        case 0x85: return 'E';
        case 0x8A: return 'K';
        case 0x8C: return 'M';
        case 0x8D: return 'H';
        case 0x8E: return 'O';
        case 0x90: return 'P';
        case 0x91: return 'C';
        case 0x92: return 'T';
        case 0x93: return 'Y';
        case 0x95: return 'X';
        default: return static_cast<char>(b);
    }
}

std::string folded(std::string_view word) {
    std::string out(word);
    for (char& c : out) c = folded(c);
    return out;
}

// The last blank-separated word of a label, without a trailing '=' or ':'.
std::string_view last_word(std::string_view label) {
    std::size_t end = label.size();
    while (end > 0 && blank(label[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !blank(label[start - 1])) --start;
    std::string_view word = label.substr(start, end - start);
    while (!word.empty() && (word.back() == '=' || word.back() == ':')) word.remove_suffix(1);
    return word;
}

// The name a report writes at the end of an input's label: the last word of
// the last literal before its field.
std::string_view report_name(const Field& field) {
    std::string_view label;
    for (const fixrec::Descriptor& d : field.report.descriptors()) {
        if (d.is_data()) break;
        if (d.kind == fixrec::DescKind::Literal) label = field.report.text(d);
    }
    return last_word(label);
}

std::string descriptor_text(const fixrec::Descriptor& d) {
    std::string s(1, d.kind == fixrec::DescKind::E ? 'E' : d.kind == fixrec::DescKind::F ? 'F'
                                                 : d.kind == fixrec::DescKind::I ? 'I' : 'A');
    s.append(std::to_string(d.w));
    if (d.kind == fixrec::DescKind::E || d.kind == fixrec::DescKind::F) s.append(".").append(std::to_string(d.d));
    return s;
}

std::string quoted(std::string_view cp866) {
    std::string s(1, '"');
    s.append(to_utf8(cp866)).push_back('"');
    return s;
}

std::string line_of(int line) { return "line " + std::to_string(line) + ": "; }

// A whole file of valid UTF-8 with at least one character beyond ASCII: a
// report in code page 866 is not (its capital letters are UTF-8
// continuation bytes standing alone).
bool is_utf8_text(std::string_view bytes) {
    bool multibyte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const fixrec::utf8::Decoded d = fixrec::utf8::decode(bytes, i);
        if (d.fault != fixrec::utf8::Fault::None) return false;
        multibyte = multibyte || d.length > 1;
        i += d.length;
    }
    return multibyte;
}

// A path as one word of a shell command.
std::string shell_word(std::string_view path) {
    constexpr std::string_view kPlain = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._/-+";
    if (!path.empty() && path.find_first_not_of(kPlain) == std::string_view::npos) return std::string(path);
    std::string out = "'";
    for (const char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string_view base_name(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void check_labels(const Calculator& calc, const std::vector<std::string_view>& lines, std::vector<Finding>& out) {
    // Which input a folded label word names.
    const auto named = [&](const std::string& word) -> const Field* {
        for (const Field& f : calc.inputs)
            if (folded(report_name(f)) == word) return &f;
        return nullptr;
    };
    std::vector<std::string> wrong;
    const Field* first = nullptr;
    bool another_name = false;  // a line labelled with another input's name: the lines moved
    for (const Field& f : calc.inputs) {
        if (f.line < 1 || static_cast<std::size_t>(f.line) > lines.size()) continue;
        const std::string_view line = lines[static_cast<std::size_t>(f.line - 1)];
        const std::size_t label_end = static_cast<std::size_t>(field_place(f).read_first - 1);
        const std::string_view word = last_word(line.substr(0, std::min(line.size(), label_end)));
        const std::string word_folded = folded(word);
        if (word_folded == folded(report_name(f))) continue;
        if (first == nullptr) first = &f;
        std::string what = "line " + std::to_string(f.line) + (wrong.empty() ? " is read as " : " as ");
        what += std::string(f.name) + " but ";
        if (word.empty()) {
            what += "has no label";
        } else if (const Field* other = named(word_folded)) {
            what += "is labelled " + std::string(other->name);
            another_name = true;
        } else {
            what += "is labelled " + quoted(word);
        }
        wrong.push_back(std::move(what));
    }
    if (first == nullptr) return;
    // Where the label of the first input stands now.
    const std::string name = folded(report_name(*first));
    int moved_to = 0;
    for (std::size_t k = 0; k < lines.size() && moved_to == 0; ++k) {
        const std::size_t label_end = static_cast<std::size_t>(field_place(*first).read_first - 1);
        if (static_cast<int>(k + 1) != first->line &&
            folded(last_word(lines[k].substr(0, std::min(lines[k].size(), label_end)))) == name)
            moved_to = static_cast<int>(k + 1);
    }
    const bool moved = another_name || moved_to != 0;
    std::string message = line_of(first->line) + (moved ? "the labels do not match the lines, so the values are "
                                                          "read shifted: "
                                                        : wrong.size() == 1 ? "the label does not name its input: "
                                                                            : "the labels do not name their inputs: ");
    // Four lines say it; "and 1 more" would not be shorter than the fifth.
    const std::size_t kListed = wrong.size() == 5 ? 5 : 4;
    for (std::size_t k = 0; k < std::min(wrong.size(), kListed); ++k) message += (k == 0 ? "" : ", ") + wrong[k];
    if (wrong.size() > kListed) message += ", and " + std::to_string(wrong.size() - kListed) + " more";
    if (moved) {
        message += "; a line was inserted or removed above line " + std::to_string(first->line);
        if (moved_to != 0)
            message += " (the label of " + std::string(first->name) + " stands on line " + std::to_string(moved_to) +
                       ")";
    } else {
        message += "; a value line's label ends in its input's name, as a report writes it, so that a line "
                   "inserted or removed above is seen";
    }
    out.push_back({FindingKind::Shifted, first->line, std::string(first->name), message});
}

// The characters of a numeric field that the reading takes: up to a comma,
// which ends the field.
struct FieldText {
    std::string_view raw;     // the columns as they stand, blanks included
    std::string_view read;    // up to the comma
    bool comma = false;
    std::string joined;       // `read` without its blanks
    int pieces = 0;           // blank-separated groups in `read`
};

FieldText field_parts(std::string_view raw) {
    FieldText t;
    t.raw = raw;
    const std::size_t comma = raw.find(',');
    t.comma = comma != std::string_view::npos;
    t.read = raw.substr(0, std::min(raw.size(), comma));
    bool in_piece = false;
    for (const char c : t.read) {
        if (blank(c)) {
            in_piece = false;
            continue;
        }
        if (!in_piece) ++t.pieces;
        in_piece = true;
        t.joined += c;
    }
    return t;
}

bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// How the program reads a field: "reads as 25000", or "does not read".
std::string reading(const Field& field, std::string_view text) {
    const FieldPlace place = field_place(field);
    if (field.type == ValueType::Integer) {
        std::int32_t v = 0;
        return fixrec::read_integer(text, v) == fixrec::InputStatus::Ok ? "reads as " + std::to_string(v)
                                                                        : "does not read";
    }
    float v = 0;
    return fixrec::read_real(text, place.read.d, v) == fixrec::InputStatus::Ok ? "reads as " + shortest(v)
                                                                               : "does not read";
}

// The exponent of an old value that a new one was typed over from the left:
// "0.0002" over "  .10000E-02" leaves "0.000200E-02".  The exponent stands in
// the last four columns of the report's E field, as the report writes it
// (E, sign, two digits), but what comes before it, starting where the
// report's text would start or before, is not what a report writes for the
// value read.  Empty otherwise.
std::string old_exponent(const Field& field, std::string_view raw) {
    const FieldPlace place = field_place(field);
    if (place.report.kind != fixrec::DescKind::E) return {};
    const auto end = static_cast<std::size_t>(place.report_last - place.read_first + 1);
    if (raw.size() < end || end < 4) return {};
    const std::string_view exponent = raw.substr(end - 4, 4);
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (exponent[0] != 'E' || (exponent[1] != '+' && exponent[1] != '-') || !digit(exponent[2]) || !digit(exponent[3]))
        return {};
    float v = 0;
    if (fixrec::read_real(raw, place.read.d, v) != fixrec::InputStatus::Ok) return {};
    Value value;
    value.real = v;
    // A value typed by hand at the right of the field, as `.1E-02`, starts
    // after the report's own text would: it was typed there, not over.
    const std::string report = printed(field, value);
    const std::size_t first = raw.substr(0, end).find_first_not_of(" \t");
    const std::size_t report_start = end - report.size();
    if (first > report_start || raw.substr(first, end - first) == report) return {};
    return std::string(exponent);
}

void check_fields(const Calculator& calc, std::string_view bytes, std::vector<Finding>& out) {
    for (const Field& f : calc.inputs) {
        const std::string raw = field_text(bytes, f);
        const FieldText t = field_parts(raw);
        if (t.joined.empty()) continue;
        const std::string at = line_of(f.line) + std::string(f.name) + " holds " + quoted(t.raw.substr(
            t.raw.find_first_not_of(" \t"), t.raw.find_last_not_of(" \t") - t.raw.find_first_not_of(" \t") + 1));
        const bool real = f.type == ValueType::Real;
        const std::size_t points = static_cast<std::size_t>(std::count(t.joined.begin(), t.joined.end(), '.'));
        const char last = t.joined.back();
        const bool dangling =
            real && (is_exponent_letter(last) || ((last == '+' || last == '-') && t.joined.size() > 1));
        const std::string leftover = ": is part of it left over from an old value?";
        if (t.pieces > 1) {
            out.push_back({FindingKind::Leftover, f.line, std::string(f.name),
                           at + ", read with its blanks dropped as " + quoted(t.joined) + ", which " +
                               reading(f, t.joined) + leftover});
        } else if (real && points > 1) {
            out.push_back({FindingKind::Leftover, f.line, std::string(f.name),
                           at + " with two decimal points, which does not read" + leftover});
        } else if (dangling) {
            out.push_back({FindingKind::Leftover, f.line, std::string(f.name),
                           at + " with an exponent without digits, which does not read" + leftover});
        } else if (const std::string exponent = old_exponent(f, raw); !exponent.empty()) {
            out.push_back({FindingKind::Leftover, f.line, std::string(f.name),
                           at + ", which " + reading(f, t.joined) + ": its exponent " + quoted(exponent) +
                               " stands where a report writes one, after a mantissa no report writes" + leftover});
        } else if (real && points == 0) {
            float v = 0;
            const FieldPlace place = field_place(f);
            if (fixrec::read_real(t.read, place.read.d, v) != fixrec::InputStatus::Ok || v == 0.0f) continue;
            // The point where the typist most likely meant it: after the
            // digits of the mantissa.
            std::size_t end = t.joined.find_first_not_of("+-") == 0 ? 0 : 1;
            while (end < t.joined.size() && t.joined[end] >= '0' && t.joined[end] <= '9') ++end;
            const std::string pointed = t.joined.substr(0, end) + "." + t.joined.substr(end);
            float meant = 0;
            (void)fixrec::read_real(pointed, place.read.d, meant);
            std::string message = at + (t.comma ? ": a comma ends the field, and " + quoted(t.joined) + " has"
                                                : ", which has") +
                                  " no decimal point, so it reads as " + shortest(v) + " (its last " +
                                  std::to_string(place.read.d) + " digits are decimals)";
            message += t.comma ? "; type a decimal point, not a comma"
                               : "; type " + quoted(pointed) + " for " + shortest(meant);
            out.push_back({FindingKind::ImpliedDecimals, f.line, std::string(f.name), message});
        }
    }
}

// What the next run writes for each input: the program's report for these
// inputs (its fields, as the program's own writer renders them), or, when
// the computation is invalid and the program writes no report, the report's
// edit of each field (printed).
void check_printable(const Calculator& calc, std::string_view bytes, std::vector<Finding>& out) {
    std::vector<Value> values(calc.inputs.size());
    calculators::ReadFailure failure;
    if (!calc.read(bytes, values, failure)) return;
    std::string report;
    const bool reported = calc.report(values, report);
    for (std::size_t k = 0; k < calc.inputs.size(); ++k) {
        const Field& f = calc.inputs[k];
        std::string text = reported ? field_text(report, f) : printed(f, values[k]);
        std::erase(text, ' ');
        if (text.empty() || text.find_first_not_of('*') != std::string::npos) continue;
        const std::string value = f.type == ValueType::Integer ? std::to_string(values[k].integer)
                                                               : shortest(values[k].real);
        out.push_back({FindingKind::Unprintable, f.line, std::string(f.name),
                       line_of(f.line) + std::string(f.name) + " reads as " + value + ", which its report field (" +
                           descriptor_text(field_place(f).report) + ") prints as asterisks: the next run of " +
                           std::string(calc.name) + " would lose it"});
    }
}

}  // namespace

std::string_view kind_name(FindingKind kind) {
    switch (kind) {
        case FindingKind::Utf8: return "utf8";
        case FindingKind::OtherProgram: return "other-program";
        case FindingKind::Shifted: return "shifted";
        case FindingKind::ImpliedDecimals: return "implied-decimals";
        case FindingKind::Leftover: return "leftover";
        case FindingKind::Unprintable: return "unprintable";
    }
    return "";
}

std::vector<Finding> check_data_file(const Calculator& calc, std::string_view path, std::string_view bytes) {
    std::vector<Finding> out;
    if (is_utf8_text(bytes)) {
        const std::string file = shell_word(path);
        out.push_back({FindingKind::Utf8, 0, {},
                       "the file is UTF-8 text, but " + std::string(calc.name) +
                           " reads code page 866 (in UTF-8 a Cyrillic letter takes two columns); convert it: "
                           "iconv -f UTF-8 -t CP866 " + file + " > " + file + ".866 && mv " + file + ".866 " + file});
        return out;
    }
    const std::string_view head = bytes.substr(0, std::min<std::size_t>(bytes.size(), 2048));
    if (calc.banner.empty() || head.find(calc.banner) == std::string_view::npos) {
        for (const Calculator* other : programs()) {
            if (other == &calc || other->banner.empty() || head.find(other->banner) == std::string_view::npos)
                continue;
            const std::string_view base = base_name(path);
            const bool by_name = base.size() >= calc.name.size() &&
                                 folded(base.substr(0, calc.name.size())) == folded(calc.name);
            out.push_back({FindingKind::OtherProgram, 0, {},
                           (by_name ? "its name says " + std::string(calc.name) + ", but its banner is " +
                                          std::string(other->name) + "'s"
                                    : "it is read as " + std::string(calc.name) + "'s, but its banner is " +
                                          std::string(other->name) + "'s") +
                               ": give --program " + std::string(other->name) + " if it is " +
                               std::string(other->name) + "'s data file"});
            return out;
        }
    }
    // Shifted values make every finding about a value a finding about the
    // wrong value.
    check_labels(calc, line_texts(bytes, static_cast<std::size_t>(calc.input_lines) + 8), out);
    if (!out.empty()) return out;
    check_fields(calc, bytes, out);
    check_printable(calc, bytes, out);
    std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return out;
}

bool blocks_writing(const Finding& finding) {
    return finding.kind == FindingKind::Shifted || finding.kind == FindingKind::Utf8 ||
           finding.kind == FindingKind::OtherProgram;
}

std::string failure_notes(const std::vector<Finding>& findings, int failing_line) {
    std::string notes;
    for (const Finding& f : findings)
        if (f.kind == FindingKind::Utf8 || f.kind == FindingKind::OtherProgram ||
            (f.kind == FindingKind::Leftover && f.line == failing_line))
            notes += "; " + f.message;
    return notes;
}

}  // namespace swirl
