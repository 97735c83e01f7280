// Fortran-style format strings: "(2X,'LABEL',E12.5,'(м)')" -> a list of descriptors.
//
// A format is parsed into a flat list: literals, nX skips, record ends ("/")
// and the data descriptors E, F, I, A with their widths.  Repeat counts are
// expanded ("80A1" becomes eighty A1 descriptors), so a statement walks the
// list from the left and hands out one data descriptor per item.  The texts
// of the literals (a doubled apostrophe made one) lie in a text pool; a
// descriptor holds their offset and size.
//
// The parser is one forward scan made of small steps (a literal, a
// descriptor, the expansion of its repeat count) that are constexpr, so the
// same functions parse a format at compile time (the _fmt literal,
// fixrec/format_literal.h) and at run time (Format, for tests and tools).
// A statement takes a FormatView of either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fixrec/ascii.h"

namespace fixrec {

enum class DescKind : std::uint8_t {
    Literal,  // 'text': written unchanged (output only)
    Skip,     // nX: n positions to the right
    Slash,    // /: ends the current record
    E,        // Ew.d: real, exponent form
    F,        // Fw.d: real, fixed-point form
    I,        // Iw: integer
    A,        // Aw (w = 0 when written as bare A: the item's own length)
};

struct Descriptor {
    DescKind kind = DescKind::Literal;
    int w = 0;                      // field width, or n of nX
    int d = 0;                      // digits after the point (E, F)
    std::uint32_t text_offset = 0;  // a literal's text in the text pool
    std::uint32_t text_size = 0;
    // This descriptor and the copies of it that follow from the same repeat
    // count: 80, 79, ... 1 along "80A1".  Lets a statement take a whole run
    // of A1 fields at once.
    std::uint32_t repeat_left = 1;

    constexpr bool is_data() const {
        return kind == DescKind::E || kind == DescKind::F || kind == DescKind::I ||
               kind == DescKind::A;
    }
};

// A parsed format as the statements read it; it does not own its parts.
class FormatView {
public:
    constexpr FormatView(std::span<const Descriptor> descriptors, std::string_view pool,
                         std::string_view source, int data_count, std::size_t input_extent)
        : descs_(descriptors),
          pool_(pool),
          source_(source),
          data_count_(data_count),
          input_extent_(input_extent) {}

    constexpr std::span<const Descriptor> descriptors() const { return descs_; }
    // The text of a literal descriptor.
    constexpr std::string_view text(const Descriptor& d) const {
        return {pool_.data() + d.text_offset, d.text_size};
    }
    constexpr std::string_view source() const { return source_; }
    constexpr int data_count() const { return data_count_; }
    // Columns of one input record that a statement can reach before reversion:
    // the sum of all skips and field widths (SIZE_MAX with a bare A, which
    // takes as much as its destination holds).  Input records are kept only
    // this far.
    constexpr std::size_t input_extent() const { return input_extent_; }

private:
    std::span<const Descriptor> descs_;
    std::string_view pool_;
    std::string_view source_;
    int data_count_;
    std::size_t input_extent_;
};

// ---------------------------------------------------------------------------
// The parser.

enum class FormatError : std::uint8_t {
    None,
    ExpectedOpen,
    ExpectedClose,
    UnterminatedLiteral,
    DescriptorExpected,
    UnknownDescriptor,
    WidthExpected,
    PointExpected,
    DigitsExpected,
    CountTooLarge,
    WidthTooLarge,
    ZeroRepeat,
    TextAfterClose,
};

constexpr const char* describe(FormatError e) {
    switch (e) {
        case FormatError::None: return "well formed";
        case FormatError::ExpectedOpen: return "expected '('";
        case FormatError::ExpectedClose: return "expected ')'";
        case FormatError::UnterminatedLiteral: return "unterminated literal";
        case FormatError::DescriptorExpected: return "descriptor expected";
        case FormatError::UnknownDescriptor: return "unknown descriptor";
        case FormatError::WidthExpected: return "field width expected";
        case FormatError::PointExpected: return "'.d' expected";
        case FormatError::DigitsExpected: return "digit count expected";
        case FormatError::CountTooLarge: return "count too large";
        case FormatError::WidthTooLarge: return "width too large";
        case FormatError::ZeroRepeat: return "zero repeat count";
        case FormatError::TextAfterClose: return "text after the closing parenthesis";
    }
    return "";
}

// What a whole parse found: the first error and where, or the summary.
struct FormatSummary {
    FormatError error = FormatError::None;
    std::size_t position = 0;
    std::size_t descriptors = 0;  // after expansion
    std::size_t pool_size = 0;
    int data_count = 0;
    std::size_t input_extent = 0;
};

namespace format_parse {

inline constexpr int kMaxNumber = 100000;  // repeat counts and widths

// The scan position in the source.
struct Scanner {
    std::string_view s;
    std::size_t i = 0;

    constexpr bool done() const { return i >= s.size(); }
    constexpr char peek() const { return s[i]; }
    constexpr void skip_blanks() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    }
};

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A descriptor as written, before its repeat count is expanded.
struct Written {
    Descriptor desc;
    int repeat = 1;
};

// Digits after optional blanks; false when there are none.
constexpr FormatError scan_number(Scanner& sc, int& out, bool& present) {
    sc.skip_blanks();
    present = !sc.done() && is_digit(sc.peek());
    if (!present) return FormatError::None;
    out = 0;
    while (!sc.done() && is_digit(sc.peek())) {
        out = out * 10 + (sc.peek() - '0');
        if (out > kMaxNumber) return FormatError::WidthTooLarge;
        ++sc.i;
    }
    return FormatError::None;
}

// 'text' or "text" at sc.i; a doubled quote stands for one.  The text goes
// to the sink's pool.
template <class Sink>
constexpr FormatError scan_literal(Scanner& sc, Sink& sink, Written& out) {
    const char quote = sc.peek();
    ++sc.i;
    out = Written{};
    out.desc.text_offset = static_cast<std::uint32_t>(sink.pool_size());
    while (!sc.done()) {
        // The text up to the next quote goes in as one piece.  (A plain loop:
        // string_view::find is not a constant expression under the
        // sanitizers' checks.)
        std::size_t q = sc.i;
        while (q < sc.s.size() && sc.s[q] != quote) ++q;
        sink.text(sc.s.substr(sc.i, q - sc.i));
        sc.i = q;
        if (sc.done()) break;
        if (sc.i + 1 < sc.s.size() && sc.s[sc.i + 1] == quote) {  // doubled quote
            sink.text(sc.s.substr(sc.i, 1));
            sc.i += 2;
            continue;
        }
        ++sc.i;
        out.desc.text_size =
            static_cast<std::uint32_t>(sink.pool_size() - out.desc.text_offset);
        return FormatError::None;
    }
    return FormatError::UnterminatedLiteral;
}

// [repeat] letter [w[.d]] at sc.i.
constexpr FormatError scan_descriptor(Scanner& sc, Written& out, std::size_t& error_at) {
    out = Written{};
    int number = -1;
    const std::size_t count_at = sc.i;
    while (!sc.done() && is_digit(sc.peek())) {
        number = (number < 0 ? 0 : number) * 10 + (sc.peek() - '0');
        if (number > kMaxNumber) {
            error_at = count_at;
            return FormatError::CountTooLarge;
        }
        ++sc.i;
    }
    sc.skip_blanks();
    error_at = sc.i;
    if (sc.done()) return FormatError::DescriptorExpected;
    const char letter = ascii_upper(sc.peek());
    ++sc.i;
    Descriptor& d = out.desc;
    bool present = false;
    auto width = [&](bool required) {
        const FormatError e = scan_number(sc, d.w, present);
        error_at = sc.i;
        if (e != FormatError::None) return e;
        if (required && (!present || d.w == 0)) return FormatError::WidthExpected;
        return FormatError::None;
    };
    switch (letter) {
        case 'X':
            d.kind = DescKind::Skip;
            d.w = number < 0 ? 1 : number;
            return FormatError::None;
        case 'E':
        case 'F': {
            d.kind = letter == 'E' ? DescKind::E : DescKind::F;
            if (const FormatError e = width(true); e != FormatError::None) return e;
            sc.skip_blanks();
            error_at = sc.i;
            if (sc.done() || sc.peek() != '.') return FormatError::PointExpected;
            ++sc.i;
            const FormatError e = scan_number(sc, d.d, present);
            error_at = sc.i;
            if (e != FormatError::None) return e;
            if (!present) return FormatError::DigitsExpected;
            break;
        }
        case 'I':
            d.kind = DescKind::I;
            if (const FormatError e = width(true); e != FormatError::None) return e;
            break;
        case 'A':
            d.kind = DescKind::A;
            if (const FormatError e = width(false); e != FormatError::None) return e;
            if (!present) d.w = 0;
            break;
        default:
            error_at = sc.i - 1;
            return FormatError::UnknownDescriptor;
    }
    out.repeat = number < 0 ? 1 : number;
    if (out.repeat == 0) {
        error_at = count_at;
        return FormatError::ZeroRepeat;
    }
    return FormatError::None;
}

// The descriptor `repeat` times into the sink, and its share of the summary.
template <class Sink>
constexpr void expand(const Written& w, Sink& sink, FormatSummary& sum) {
    Descriptor d = w.desc;
    for (int r = 0; r < w.repeat; ++r) {
        d.repeat_left = static_cast<std::uint32_t>(w.repeat - r);
        sink.descriptor(d);
        ++sum.descriptors;
        if (d.is_data()) ++sum.data_count;
        if (d.kind == DescKind::A && d.w == 0)
            sum.input_extent = SIZE_MAX;  // as long as the destination
        else if ((d.kind == DescKind::Skip || d.is_data()) && sum.input_extent != SIZE_MAX)
            sum.input_extent += static_cast<std::size_t>(d.w);
    }
}

// The whole format.  A Sink has pool_size(), text(std::string_view) and
// descriptor(const Descriptor&), all constexpr.
template <class Sink>
constexpr FormatSummary parse(std::string_view source, Sink& sink) {
    FormatSummary sum;
    Scanner sc{source};
    auto fail = [&](FormatError e, std::size_t at) {
        sum.error = e;
        sum.position = at;
        return sum;
    };
    sc.skip_blanks();
    if (sc.done() || sc.peek() != '(') return fail(FormatError::ExpectedOpen, sc.i);
    ++sc.i;
    bool closed = false;
    while (!sc.done()) {
        sc.skip_blanks();
        if (sc.done()) break;
        const char c = sc.peek();
        if (c == ')') {
            ++sc.i;
            closed = true;
            break;
        }
        if (c == ',') {
            ++sc.i;
            continue;
        }
        Written w;
        if (c == '/') {
            ++sc.i;
            w.desc.kind = DescKind::Slash;
        } else if (c == '\'' || c == '"') {
            if (scan_literal(sc, sink, w) != FormatError::None)
                return fail(FormatError::UnterminatedLiteral, sc.i);
        } else {
            std::size_t at = sc.i;
            if (const FormatError e = scan_descriptor(sc, w, at); e != FormatError::None)
                return fail(e, at);
        }
        expand(w, sink, sum);
    }
    if (!closed) return fail(FormatError::ExpectedClose, sc.i);
    sc.skip_blanks();
    if (!sc.done()) return fail(FormatError::TextAfterClose, sc.i);
    sum.pool_size = sink.pool_size();
    return sum;
}

// A sink that only counts: the sizes a compiled format needs.
struct Counter {
    std::size_t pool = 0;
    constexpr std::size_t pool_size() const { return pool; }
    constexpr void text(std::string_view piece) { pool += piece.size(); }
    constexpr void descriptor(const Descriptor&) {}
};

}  // namespace format_parse

// The parse of `source` without keeping anything: its error or its sizes.
constexpr FormatSummary check_format(std::string_view source) {
    format_parse::Counter counter;
    return format_parse::parse(source, counter);
}

// A format parsed at run time, owning its parts: for tests, tools and
// fuzzers.  The programs' own formats are parsed at compile time (_fmt).
class Format {
public:
    // Parses the format; a malformed format is a programming error and throws
    // std::invalid_argument naming the offending position.
    explicit Format(std::string_view source);

    operator FormatView() const {  // NOLINT(google-explicit-constructor)
        return {descs_, pool_, source_, data_count_, input_extent_};
    }
    std::span<const Descriptor> descriptors() const { return descs_; }
    std::string_view text(const Descriptor& d) const { return FormatView(*this).text(d); }
    std::string_view source() const { return source_; }
    int data_count() const { return data_count_; }
    std::size_t input_extent() const { return input_extent_; }

private:
    std::string source_;
    std::string pool_;
    std::vector<Descriptor> descs_;
    int data_count_ = 0;
    std::size_t input_extent_ = 0;
};

}  // namespace fixrec
