#include "swirl/design/terms.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "fixrec/ascii.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"

namespace swirl {

namespace {

bool is_integer(const Field& f) { return f.type == calculators::ValueType::Integer; }

double as_double(const Field& f, const Value& v) {
    return is_integer(f) ? static_cast<double>(v.integer) : static_cast<double>(v.real);
}

std::string number_text(double v) {
    char buf[32];
    return {buf, std::to_chars(buf, buf + sizeof buf, v).ptr};
}

}  // namespace

Range parse_range(std::string_view text, std::string_view option) {
    const auto refuse = [&](const std::string& why) {
        return UsageError(std::string(option) + " " + std::string(text) + ": " + why);
    };
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0) throw refuse("expected NAME=LO:HI or NAME=LO:HI:log");
    Range r;
    r.name = std::string(text.substr(0, eq));
    std::vector<std::string_view> parts;
    std::string_view rest = text.substr(eq + 1);
    for (;;) {
        const std::size_t colon = rest.find(':');
        parts.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos) break;
        rest = rest.substr(colon + 1);
    }
    if (parts.size() < 2 || parts.size() > 3) throw refuse("expected NAME=LO:HI or NAME=LO:HI:log");
    if (parts.size() == 3) {
        if (parts[2] != "log") throw refuse("the third part can only be log, not " + std::string(parts[2]));
        r.log = true;
    }
    const std::optional<double> lo = parse_plain_decimal(parts[0]);
    const std::optional<double> hi = parse_plain_decimal(parts[1]);
    if (!lo) throw refuse("LO " + std::string(parts[0]) + " is not a plain decimal number");
    if (!hi) throw refuse("HI " + std::string(parts[1]) + " is not a plain decimal number");
    r.lo = *lo;
    r.hi = *hi;
    if (r.lo >= r.hi) throw refuse("LO must lie below HI");
    if (r.log && r.lo <= 0) throw refuse("a log range needs LO above 0");
    return r;
}

namespace {

bool is_result_name(const Calculator& calc, std::string_view name) {
    for (const Field& f : calc.results)
        if (fixrec::equal_ignoring_case(f.name, name)) return true;
    return false;
}

bool is_input_name(const Calculator& calc, std::string_view name) {
    for (const Field& f : calc.inputs)
        if (fixrec::equal_ignoring_case(f.name, name)) return true;
    return false;
}

std::string result_names(const Calculator& calc) {
    std::string s;
    for (const Field& f : calc.results) s.append(s.empty() ? "" : ", ").append(f.name);
    return s;
}

Value hold_bound(const Field& field, double v, std::string_view option, const Range& r, const char* which) {
    try {
        return hold(field, v).value;
    } catch (const UsageError& e) {
        throw UsageError(std::string(option) + " " + r.name + ": " + which + " " + number_text(v) + ": " + e.what());
    }
}

}  // namespace

std::int64_t HeldRange::rank_at(double x) const {
    const Field& f = lattice.field();
    const double lo_v = as_double(f, lo), hi_v = as_double(f, hi);
    x = std::clamp(x, 0.0, 1.0);
    double v = typed.log ? lo_v * std::pow(hi_v / lo_v, x) : lo_v + x * (hi_v - lo_v);
    v = std::clamp(v, lo_v, hi_v);
    std::int64_t r = 0;
    if (is_integer(f)) {
        Value iv;
        iv.integer = static_cast<std::int32_t>(std::llround(v));
        r = lattice.rank(iv);
    } else {
        r = lattice.rank(hold(f, v).value);
    }
    return std::clamp(r, rank_lo, rank_hi);
}

HeldRange held_range(const Calculator& calc, const Range& range, std::string_view option) {
    std::size_t input = 0;
    try {
        input = input_index(calc, range.name);
    } catch (const UsageError&) {
        if (!is_result_name(calc, range.name)) throw;
        throw UsageError(std::string(option) + " " + range.name + " is a result of " + std::string(calc.name) +
                         ", not an input (its inputs: " + input_names(calc) + ")");
    }
    const Field& field = calc.inputs[input];
    HeldRange h{range, input, Lattice(field), {}, {}, 0, 0};
    h.lo = hold_bound(field, range.lo, option, range, "LO");
    h.hi = hold_bound(field, range.hi, option, range, "HI");
    h.rank_lo = h.lattice.rank(h.lo);
    h.rank_hi = h.lattice.rank(h.hi);
    // The range holds the held values from LO to HI (as single precision):
    // a bound its field rounds outwards gives way to the next held value in.
    if (!is_integer(field)) {
        if (h.lo.real < static_cast<float>(range.lo)) h.lo = h.lattice.at(++h.rank_lo);
        if (h.hi.real > static_cast<float>(range.hi)) h.hi = h.lattice.at(--h.rank_hi);
    }
    if (h.rank_hi <= h.rank_lo)
        throw UsageError(std::string(option) + " " + range.name + ": the field holds one value only between " +
                         number_text(range.lo) + " and " + number_text(range.hi) + " (" + exact_text(field, h.lo) + ")");
    if (range.log && as_double(field, h.lo) <= 0)
        throw UsageError(std::string(option) + " " + range.name + ": a log range needs LO above 0 as the field holds it");
    return h;
}

std::size_t result_index(const Calculator& calc, std::string_view name, std::string_view option) {
    for (std::size_t k = 0; k < calc.results.size(); ++k)
        if (fixrec::equal_ignoring_case(calc.results[k].name, name)) return k;
    if (is_input_name(calc, name))
        throw UsageError(std::string(option) + " " + std::string(name) + " is an input of " + std::string(calc.name) +
                         ", not a result (its results: " + result_names(calc) + ")");
    std::vector<std::string> names;
    for (const Field& f : calc.results) names.emplace_back(f.name);
    const std::string hint = did_you_mean(name, names);
    throw UsageError(std::string(calc.name) + " has no result " + std::string(name) + " (" +
                     (hint.empty() ? "" : hint + " ") + "its results: " + result_names(calc) + ")");
}

void compute_case(const Calculator& calc, std::span<const Value> inputs, calculators::Outcome& scratch, Case& out) {
    calc.compute(inputs, false, scratch);
    out.valid = scratch.valid;
    out.results.assign(calc.results.size(), std::numeric_limits<float>::quiet_NaN());
    if (!scratch.valid) return;
    for (std::size_t r = 0; r < calc.results.size(); ++r)
        if (r < scratch.results.size() && r < scratch.computed.size() && scratch.computed[r]) {
            const float v = calc.results[r].type == calculators::ValueType::Integer
                                ? static_cast<float>(scratch.results[r].integer)
                                : scratch.results[r].real;
            out.results[r] = v;
        }
}

Shown shown(const Field& field, const Value& value) { return {value, to_utf8(printed(field, value))}; }

std::string exact_text(const Field& field, const Value& value) {
    return is_integer(field) ? std::to_string(value.integer) : shortest(value.real);
}

}  // namespace swirl
