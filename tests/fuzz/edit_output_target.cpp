// Fuzz target: arbitrary single-precision values and integers rendered
// through every edit of the reports and of the console, by the renderer of
// the output statements (render_field).
//
// What must hold for each value and edit:
//  - the field has exactly its width;
//  - a value that is not a finite number shows its marker, then dots up to
//    the width;
//  - a finite real that fits is within half a unit of its last significant
//    printed digit (the last decimal, or the seventh significant digit), reads back through the input editing of the same field to
//    the single-precision value nearest to the printed decimal, and that
//    value prints as the same field again (a report re-read and re-written
//    stays the same);
//  - asterisks only where the number really needs more room: an E field of a
//    finite single-precision value always fits; an F field or an I field is
//    starred exactly when a wider field shows more characters than its width;
//  - an integer that fits reads back to itself;
//  - a console real fits its 15 columns and is within half a unit of its
//    seventh significant digit.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fixrec/edit_input.h"
#include "fixrec/edit_output.h"
#include "fixrec/render.h"
#include "fuzz_support.h"

namespace {

using fuzz_support::fail;

struct RealEdit {
    char kind;  // 'E' or 'F'
    int w;
    int d;
};

// Every real edit of the data files and reports.
constexpr RealEdit kRealEdits[] = {{'E', 12, 5}, {'E', 16, 5}, {'F', 11, 4}, {'F', 12, 5}};
// Every integer edit.
constexpr int kIntegerWidths[] = {1, 2, 3};

// The field through the renderer that the output statements use.
std::string render(const RealEdit& e, float v, int w) {
    std::string field;
    fixrec::render_field({e.kind == 'E' ? fixrec::DescKind::E : fixrec::DescKind::F, w, e.d}, v, field);
    return field;
}

std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

bool all_stars(std::string_view s) { return !s.empty() && s.find_first_not_of('*') == std::string_view::npos; }

std::string context(const RealEdit& e, float v, std::string_view field) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%c%d.%d of %.9g (bits %08x): [%.*s]", e.kind, e.w, e.d, static_cast<double>(v),
                  [&] { std::uint32_t b; std::memcpy(&b, &v, 4); return b; }(), static_cast<int>(field.size()),
                  field.data());
    return buf;
}

// The power of ten of the last significant printed digit of a field that
// fits.  The reports keep at most seven significant digits: the fixed form
// of a large value ends in zeros ("999999.9000").
long double last_digit_unit(const RealEdit& e, std::string_view text, float v) {
    if (e.kind == 'F') {
        const long double mag = std::fabs(static_cast<long double>(v));
        const long double seventh = mag == 0 ? 0 : std::pow(10.0L, std::floor(std::log10(mag)) + 1 - 7);
        return std::max(std::pow(10.0L, -e.d), seventh);
    }
    const std::size_t mark = text.find_first_of("Ee+-", text.find_first_of("0123456789."));
    const int exponent = std::atoi(std::string(text.substr(mark + (text[mark] == 'E' || text[mark] == 'e'))).c_str());
    return std::pow(10.0L, exponent - e.d);  // 0.ddddd x 10^X
}

void check_real(const RealEdit& e, float v) {
    const std::string field = render(e, v, e.w);
    if (static_cast<int>(field.size()) != e.w) fail("a field has its width", context(e, v, field));
    if (!std::isfinite(v)) {
        const std::string_view marker = fixrec::nonfinite_marker(v);
        if (marker.empty() || field != std::string(marker) + std::string(e.w - marker.size(), '.')) {
            fail("a value that is not a number shows its marker filled up with dots", context(e, v, field));
        }
        return;
    }
    const std::string wide = render(e, v, 60);
    const bool needs_more = trimmed(wide).size() > static_cast<std::size_t>(e.w);
    if (all_stars(field)) {
        if (e.kind == 'E') fail("an E field of a finite value fits", context(e, v, field));
        if (!needs_more) fail("asterisks only for a number wider than its field", context(e, v, field));
        return;
    }
    if (needs_more) fail("a number wider than its field is starred", context(e, v, field));
    if (trimmed(wide) != trimmed(field)) fail("a field shows the same number as a wider one", context(e, v, field));

    const std::string text(trimmed(field));
    const long double printed = std::strtold(text.c_str(), nullptr);
    const long double unit = last_digit_unit(e, text, v);
    const long double error = std::fabs(printed - static_cast<long double>(v));
    if (error > unit * 0.5L * (1 + 1e-12L)) fail("the printed decimal is the value rounded", context(e, v, field));

    float back = 0.0f;
    if (fixrec::read_real(field, e.d, back) != fixrec::InputStatus::Ok) fail("a printed field reads back", context(e, v, field));
    const float nearest = std::strtof(text.c_str(), nullptr);
    if (std::memcmp(&back, &nearest, sizeof back) != 0 && !(back == 0.0f && nearest == 0.0f)) {
        fail("a printed field reads back to the nearest single-precision value", context(e, v, field));
    }
    if (render(e, back, e.w) != field) fail("a re-read value prints as the same field", context(e, back, field));
}

void check_integer(int w, std::int32_t n) {
    std::string field;
    fixrec::render_field({fixrec::DescKind::I, w, 0}, n, field);
    const std::string plain = std::to_string(n);
    if (static_cast<int>(field.size()) != w) fail("an integer field has its width", field);
    if (all_stars(field)) {
        if (plain.size() <= static_cast<std::size_t>(w)) fail("asterisks only for an integer wider than its field", field + " for " + plain);
        return;
    }
    if (trimmed(field) != plain) fail("an integer prints its digits", field + " for " + plain);
    std::int32_t back = 0;
    if (fixrec::read_integer(field, back) != fixrec::InputStatus::Ok || back != n) fail("an integer reads back to itself", field);
}

void check_console_real(float v) {
    char out[64];
    const std::size_t n = fixrec::edit_list_real(v, out);
    if (n == 0 || n > static_cast<std::size_t>(fixrec::kListRealWidth)) fail("a console real fits 15 columns", std::string(out, n));
    if (!std::isfinite(v)) return;
    const std::string text(out, n);
    const long double printed = std::strtold(text.c_str(), nullptr);
    const long double mag = std::fabs(static_cast<long double>(v));
    // Seven significant digits in either form (d.ddddddE+xx, or six
    // decimals from 1 up, where a large value ends in zeros).
    if (mag == 0) return;
    const long double unit = std::pow(10.0L, std::floor(std::log10(mag)) + 1 - 7);
    if (std::fabs(printed - static_cast<long double>(v)) > unit * 0.5L * (1 + 1e-9L) + mag * 1e-15L) {
        fail("a console real is the value rounded", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every 4 bytes are one value, taken both as the bits of a float and as an
    // integer.
    for (std::size_t at = 0; at + 4 <= size; at += 4) {
        float v;
        std::int32_t n;
        std::memcpy(&v, data + at, 4);
        std::memcpy(&n, data + at, 4);
        for (const RealEdit& e : kRealEdits) check_real(e, v);
        check_console_real(v);
        for (int w : kIntegerWidths) {
            check_integer(w, n);
            check_integer(w, n % 1000);  // small counts, where the widths matter
        }
    }
    return 0;
}
