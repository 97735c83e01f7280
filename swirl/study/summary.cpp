#include "swirl/study/summary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fixrec/ascii.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"
#include "swirl/study/figures.h"

namespace swirl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

StudyColumns columns_of(const CsvTable& table) {
    const std::optional<StudyColumns> c = study_columns(table.columns);
    if (!c) throw UsageError("the table is not one that swirl sweep or swirl sample wrote (its header tells no program)");
    return *c;
}

bool ok_row(const std::vector<std::string>& row, const StudyColumns& c, std::size_t r) {
    const std::string& s = row[c.status];
    if (s == "ok") return true;
    if (s == "invalid") return false;
    throw CsvError("row " + std::to_string(r + 1) + ", column status: \"" + s + "\" is neither ok nor invalid");
}

// A result's cell: nullopt when empty.
std::optional<double> cell_value(const std::string& cell, std::string_view column, std::size_t r) {
    if (cell.empty()) return std::nullopt;
    if (const auto v = parse_plain_decimal(cell)) return v;
    throw CsvError("row " + std::to_string(r + 1) + ", column " + std::string(column) + ": \"" + cell +
                   "\" is not a number");
}

// The ok values of one result, sorted.
std::vector<double> sorted_values(const CsvTable& table, const StudyColumns& c, std::size_t result) {
    std::vector<double> values;
    const std::size_t col = c.results[result];
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if (ok_row(table.rows[r], c, r))
            if (const auto v = cell_value(table.rows[r][col], table.columns[col], r)) values.push_back(*v);
    std::sort(values.begin(), values.end());
    return values;
}

// Neumaier's compensated sum of f(x) over the values.
template <class F>
double compensated_sum(const std::vector<double>& values, F f) {
    double sum = 0, lost = 0;
    for (const double x : values) {
        const double term = f(x);
        const double t = sum + term;
        lost += std::fabs(sum) >= std::fabs(term) ? (sum - t) + term : (term - t) + sum;
        sum = t;
    }
    return sum + lost;
}

}  // namespace

std::size_t result_index(const Calculator& calc, std::string_view name) {
    std::vector<std::string> names;
    for (std::size_t r = 0; r < calc.results.size(); ++r) {
        if (fixrec::equal_ignoring_case(calc.results[r].name, name)) return r;
        names.emplace_back(calc.results[r].name);
    }
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
    const std::string hint = did_you_mean(name, names);
    throw UsageError(std::string(calc.name) + " has no result " + std::string(name) + " (" +
                     (hint.empty() ? "" : hint + " ") + "its results: " + list + ")");
}

std::optional<StudyColumns> study_columns(const std::vector<std::string>& columns) {
    const bool sample = !columns.empty() && columns.front() == "case";
    const std::vector<std::string> rest(columns.begin() + (sample ? 1 : 0), columns.end());
    const Calculator* calc = sweep_program(rest);
    if (calc == nullptr) return std::nullopt;
    StudyColumns c;
    c.program = calc;
    c.first_input = sample ? 1 : 0;
    for (std::size_t r = 0; r < calc->results.size(); ++r) c.results.push_back(c.first_input + calc->inputs.size() + r);
    c.status = c.first_input + calc->inputs.size() + calc->results.size();
    return c;
}

double percentile(std::span<const double> sorted, double p) {
    if (sorted.empty()) return kNaN;
    const double h = static_cast<double>(sorted.size() - 1) * p;
    const auto j = static_cast<std::size_t>(std::floor(h));
    if (j + 1 >= sorted.size()) return sorted.back();
    return sorted[j] + (h - static_cast<double>(j)) * (sorted[j + 1] - sorted[j]);
}

Interval wilson_interval(std::int64_t met, std::int64_t n, double z) {
    const double nn = static_cast<double>(n);
    const double p = static_cast<double>(met) / nn;
    const double z2 = z * z;
    const double centre = (p + z2 / (2 * nn)) / (1 + z2 / nn);
    const double half = z / (1 + z2 / nn) * std::sqrt(p * (1 - p) / nn + z2 / (4 * nn * nn));
    // At a share of 0 or 1 the interval ends there exactly.
    return {met == 0 ? 0.0 : std::max(0.0, centre - half), met == n ? 1.0 : std::min(1.0, centre + half)};
}

bool Requirement::met_by(double x) const {
    switch (op) {
        case Op::at_least: return x >= value;
        case Op::above: return x > value;
        case Op::at_most: return x <= value;
        case Op::below: break;
    }
    return x < value;
}

Requirement parse_requirement(std::string_view text) {
    Requirement q;
    q.text = std::string(text);
    const std::size_t at = text.find_first_of("<>");
    const auto bad = [&] {
        return UsageError("--spec " + q.text + ": RESULT>=VALUE, RESULT>VALUE, RESULT<=VALUE or RESULT<VALUE");
    };
    if (at == std::string_view::npos || at == 0) throw bad();
    const bool equal = at + 1 < text.size() && text[at + 1] == '=';
    q.op = text[at] == '>' ? (equal ? Requirement::Op::at_least : Requirement::Op::above)
                           : (equal ? Requirement::Op::at_most : Requirement::Op::below);
    std::string_view name = text.substr(0, at), value = text.substr(at + (equal ? 2 : 1));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    const std::optional<double> v = parse_plain_decimal(value);
    if (name.empty() || !v) throw bad();
    q.result = std::string(name);
    q.value = *v;
    return q;
}

TableSummary summarize(const CsvTable& table, std::span<const Requirement> requirements) {
    const StudyColumns c = columns_of(table);
    const Calculator& calc = *c.program;
    TableSummary s;
    s.program = &calc;
    s.cases = static_cast<std::int64_t>(table.rows.size());
    std::vector<std::size_t> required;
    for (const Requirement& q : requirements) required.push_back(result_index(calc, q.result));
    std::int64_t invalid = 0;
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if (!ok_row(table.rows[r], c, r)) ++invalid;

    for (std::size_t k = 0; k < calc.results.size(); ++k) {
        const std::vector<double> v = sorted_values(table, c, k);
        ResultSummary rs{std::string(calc.results[k].name), 0, 0, 0, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
        rs.ok = static_cast<std::int64_t>(v.size());
        rs.invalid = invalid;
        rs.not_computed = s.cases - invalid - rs.ok;
        if (!v.empty()) {
            // Sums of deviations from the middle value, compensated: a
            // result that does not change has its own value as the mean and
            // a standard deviation of exactly 0.
            const double middle = v[v.size() / 2];
            const auto n = static_cast<double>(v.size());
            rs.mean = middle + compensated_sum(v, [&](double x) { return x - middle; }) / n;
            if (v.size() > 1)
                rs.sd = std::sqrt(compensated_sum(v, [&](double x) { return (x - rs.mean) * (x - rs.mean); }) / (n - 1));
            rs.min = v.front();
            rs.max = v.back();
            rs.p5 = percentile(v, 0.05);
            rs.p50 = percentile(v, 0.50);
            rs.p95 = percentile(v, 0.95);
        }
        s.results.push_back(rs);
    }
    for (std::size_t q = 0; q < requirements.size(); ++q) {
        RequirementShare share{requirements[q].text, 0, s.cases, kNaN, kNaN, kNaN};
        const std::size_t col = c.results[required[q]];
        for (std::size_t r = 0; r < table.rows.size(); ++r)
            if (ok_row(table.rows[r], c, r))
                if (const auto v = cell_value(table.rows[r][col], table.columns[col], r); v && requirements[q].met_by(*v))
                    ++share.met;
        if (s.cases > 0) {
            share.share = static_cast<double>(share.met) / static_cast<double>(s.cases);
            const Interval w = wilson_interval(share.met, s.cases);
            share.low = w.low;
            share.high = w.high;
        }
        s.requirements.push_back(share);
    }
    return s;
}

plot::Figure histogram_figure(const CsvTable& table, std::string_view result, const std::optional<Requirement>& limit,
                              std::string title) {
    const StudyColumns c = columns_of(table);
    const Calculator& calc = *c.program;
    const std::size_t k = result_index(calc, result);
    const Field& field = calc.results[k];
    if (limit && result_index(calc, limit->result) != k)
        throw UsageError("--spec " + limit->text + " is on " + limit->result + ", the histogram of " +
                         std::string(field.name));
    const std::vector<double> v = sorted_values(table, c, k);
    if (v.empty()) throw UsageError("no case of the table computed " + std::string(field.name) + ": nothing to draw");

    // Equal bins over the values' range: about 2·n^(1/3) of them (Rice's
    // rule), 15 to 60; a single value gets a bin around it.
    const std::size_t bins =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::ceil(2 * std::cbrt(static_cast<double>(v.size())))), 15, 60);
    double lo = v.front(), hi = v.back();
    if (!(hi > lo)) {
        const double half = lo == 0 ? 0.5 : std::fabs(lo) * 0.05;
        lo -= half;
        hi += half;
    }
    const double width = (hi - lo) / static_cast<double>(bins);
    std::vector<double> counts(bins, 0);
    for (const double x : v) {
        auto b = static_cast<std::size_t>((x - lo) / width);
        counts[std::min(b, bins - 1)] += 1;
    }
    plot::Series s;
    s.name = std::string(field.name);
    s.x.push_back(lo);
    s.y.push_back(0);
    for (std::size_t b = 0; b < bins; ++b) {
        const double left = lo + width * static_cast<double>(b), right = b + 1 == bins ? hi : left + width;
        s.x.push_back(left);
        s.y.push_back(counts[b]);
        s.x.push_back(right);
        s.y.push_back(counts[b]);
    }
    s.x.push_back(hi);
    s.y.push_back(0);

    plot::Figure f;
    f.title = std::move(title);
    f.x = {std::string(field.name), to_utf8(field.unit)};
    f.panels.push_back({.left = {"cases", ""}, .series = {std::move(s)}});
    f.markers = {{percentile(v, 0.05), "P5"}, {percentile(v, 0.5), "P50"}, {percentile(v, 0.95), "P95"}};
    if (limit) f.markers.push_back({limit->value, limit->text});
    return f;
}

}  // namespace swirl
