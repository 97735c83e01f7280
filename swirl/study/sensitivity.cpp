#include "swirl/study/sensitivity.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>

#include "fixrec/ascii.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/core/ordered_run.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"
#include "swirl/study/cases.h"
#include "swirl/study/design.h"
#include "swirl/study/summary.h"

namespace swirl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The streams of numbers drawn from a study's seed (design.h draws its own).
enum Stream : std::uint64_t { kLevels = 11, kOrder = 12, kResample = 13 };

// Runs body(state, i) for i in [0, n) on `jobs` threads, a state each.
template <class MakeState, class Body>
void for_each_index(std::int64_t n, unsigned jobs, MakeState make_state, Body body) {
    run_ordered(
        n, jobs, make_state, [&](auto& state, std::int64_t i, std::string&) { body(state, i); },
        [](std::string_view) {});
}

struct Stats {
    double mean = kNaN, mean_abs = kNaN, sd = kNaN;
    std::int64_t n = 0;
};

Stats stats_of(const std::vector<double>& v) {
    Stats s;
    double sum = 0, sum_abs = 0;
    for (const double x : v) {
        if (std::isnan(x)) continue;
        sum += x;
        sum_abs += std::fabs(x);
        ++s.n;
    }
    if (s.n == 0) return s;
    s.mean = sum / static_cast<double>(s.n);
    s.mean_abs = sum_abs / static_cast<double>(s.n);
    if (s.n > 1) {
        double ss = 0;
        for (const double x : v)
            if (!std::isnan(x)) ss += (x - s.mean) * (x - s.mean);
        s.sd = std::sqrt(ss / static_cast<double>(s.n - 1));
    }
    return s;
}

// The 2.5 % and 97.5 % points of the finite values.
Interval bootstrap_interval(std::vector<double> v) {
    std::erase_if(v, [](double x) { return !std::isfinite(x); });
    std::sort(v.begin(), v.end());
    return {percentile(v, 0.025), percentile(v, 0.975)};
}

// Four significant digits, for a legend.
std::string brief(double v) {
    if (std::isnan(v)) return "-";
    char buf[32];
    return {buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 4).ptr};
}

}  // namespace

MorrisEstimate morris_effects(std::size_t k, std::size_t m, std::int64_t r, int levels, std::uint64_t seed,
                              const ModelFactory& model, unsigned jobs) {
    if (r < 1) throw UsageError("--count must be 1 or more trajectories");
    if (levels < 2 || levels % 2 != 0) throw UsageError("the levels of a Morris grid must be even and 2 or more");
    const auto p = static_cast<std::uint64_t>(levels);
    const double delta = static_cast<double>(p) / (2.0 * static_cast<double>(p - 1));
    const auto rows = static_cast<std::size_t>(r);
    std::vector<double> ee(rows * k * m, kNaN);  // [(t * k + i) * m + o]
    std::vector<std::int64_t> bad(rows, 0);
    std::vector<std::uint8_t> computed(rows * m, 0);
    struct State {
        UnitModel f;
        std::vector<double> x, y0, y1;
        std::vector<std::uint64_t> level;
        std::vector<std::size_t> order;
    };
    for_each_index(
        r, jobs,
        [&] {
            return State{model(), std::vector<double>(k), std::vector<double>(m), std::vector<double>(m),
                         std::vector<std::uint64_t>(k), std::vector<std::size_t>(k)};
        },
        [&](State& s, std::int64_t t) {
            const auto tt = static_cast<std::uint64_t>(t);
            for (std::size_t i = 0; i < k; ++i) {
                s.level[i] = below(counter_bits(seed, kLevels, tt, i), p);
                s.x[i] = static_cast<double>(s.level[i]) / static_cast<double>(p - 1);
                s.order[i] = i;
            }
            for (std::size_t i = k; i-- > 1;) std::swap(s.order[i], s.order[below(counter_bits(seed, kOrder, tt, i), i + 1)]);
            const auto evaluate = [&](std::vector<double>& y) {
                const bool ok = s.f(s.x, y);
                if (!ok) {
                    ++bad[static_cast<std::size_t>(t)];
                    std::fill(y.begin(), y.end(), kNaN);
                }
                for (std::size_t o = 0; o < m; ++o)
                    if (std::isfinite(y[o])) computed[static_cast<std::size_t>(t) * m + o] = 1;
            };
            evaluate(s.y0);
            for (std::size_t step = 0; step < k; ++step) {
                const std::size_t i = s.order[step];
                const bool up = s.level[i] + p / 2 <= p - 1;
                s.x[i] = static_cast<double>(up ? s.level[i] + p / 2 : s.level[i] - p / 2) / static_cast<double>(p - 1);
                evaluate(s.y1);
                for (std::size_t o = 0; o < m; ++o)
                    ee[(static_cast<std::size_t>(t) * k + i) * m + o] = (s.y1[o] - s.y0[o]) / (up ? delta : -delta);
                std::swap(s.y0, s.y1);
            }
        });
    MorrisEstimate e;
    e.inputs = k;
    e.outputs = m;
    e.evaluations = r * static_cast<std::int64_t>(k + 1);
    for (const std::int64_t b : bad) e.invalid += b;
    e.computed.assign(m, false);
    for (std::size_t t = 0; t < rows; ++t)
        for (std::size_t o = 0; o < m; ++o)
            if (computed[t * m + o]) e.computed[o] = true;
    std::vector<double> v(rows);
    for (std::size_t o = 0; o < m; ++o)
        for (std::size_t i = 0; i < k; ++i) {
            for (std::size_t t = 0; t < rows; ++t) v[t] = ee[(t * k + i) * m + o];
            const Stats s = stats_of(v);
            e.effects.push_back({s.mean_abs, s.mean, s.sd, s.n});
        }
    return e;
}

namespace {

// The first-order and total indices of every output, each base point j
// counted weight[j] times (all once without weights), the outputs centred
// on `centre`; s1 and st [o * k + i].  One pass over the evaluations in
// their order.
void estimate(const std::vector<double>& y, std::size_t k, std::size_t m, const std::vector<double>& centre,
              const std::vector<std::uint32_t>* weight, const std::vector<std::uint8_t>& usable,
              std::vector<double>& s1, std::vector<double>& st, std::vector<double>& sums) {
    const std::size_t per = k + 2;
    const std::size_t rows = usable.size() / m;
    // sums: per output n, sum, sum of squares, then k first and k total.
    const std::size_t stride = 3 + 2 * k;
    std::fill(sums.begin(), sums.end(), 0.0);
    for (std::size_t j = 0; j < rows; ++j) {
        const double w = weight != nullptr ? (*weight)[j] : 1.0;
        if (w == 0) continue;
        const double* row = &y[j * per * m];
        for (std::size_t o = 0; o < m; ++o) {
            if (!usable[j * m + o]) continue;
            double* acc = &sums[o * stride];
            const double a = row[o] - centre[o], b = row[m + o] - centre[o];
            acc[0] += w;
            acc[1] += w * (a + b);
            acc[2] += w * (a * a + b * b);
            for (std::size_t i = 0; i < k; ++i) {
                const double ab = row[(2 + i) * m + o] - centre[o];
                acc[3 + i] += w * b * (ab - a);
                acc[3 + k + i] += w * (a - ab) * (a - ab);
            }
        }
    }
    for (std::size_t o = 0; o < m; ++o) {
        const double* acc = &sums[o * stride];
        const double n = acc[0];
        const double variance = n > 0 ? (acc[2] - acc[1] * acc[1] / (2 * n)) / (2 * n - 1) : 0;
        for (std::size_t i = 0; i < k; ++i) {
            s1[o * k + i] = variance > 0 ? acc[3 + i] / n / variance : kNaN;
            st[o * k + i] = variance > 0 ? acc[3 + k + i] / n / (2 * variance) : kNaN;
        }
    }
}

}  // namespace

SobolEstimate sobol_indices(std::size_t k, std::size_t m, std::int64_t n, std::uint64_t seed,
                            const ModelFactory& model, unsigned jobs, int resamples) {
    if (n < 1) throw UsageError("--count must be 1 or more base points");
    if (n > std::int64_t{0xFFFFFFFF}) throw UsageError("at most 4294967295 base points");
    const UnitDesign design(Design::sobol, 2 * k, n, seed);
    const std::size_t per = k + 2;
    const auto rows = static_cast<std::size_t>(n);
    std::vector<double> y(rows * per * m, kNaN);  // [(j * per + e) * m + o]: e 0 A, 1 B, 2 + i A_B^i
    std::vector<std::int64_t> bad(rows, 0);
    struct State {
        UnitModel f;
        UnitDesign::Cursor cursor;
        std::vector<double> u, x;
    };
    for_each_index(
        n, jobs, [&] { return State{model(), UnitDesign::Cursor(design), std::vector<double>(2 * k), std::vector<double>(k)}; },
        [&](State& s, std::int64_t jj) {
            const auto j = static_cast<std::size_t>(jj);
            s.cursor.point(jj, s.u);
            const auto evaluate = [&](std::span<const double> x, std::size_t e) {
                const std::span<double> out(&y[(j * per + e) * m], m);
                if (!s.f(x, out)) {
                    ++bad[j];
                    std::fill(out.begin(), out.end(), kNaN);
                }
            };
            const std::span<const double> a(s.u.data(), k), b(s.u.data() + k, k);
            evaluate(a, 0);
            evaluate(b, 1);
            for (std::size_t i = 0; i < k; ++i) {
                std::copy(a.begin(), a.end(), s.x.begin());
                s.x[i] = b[i];
                evaluate(s.x, 2 + i);
            }
        });

    SobolEstimate e;
    e.inputs = k;
    e.outputs = m;
    e.evaluations = n * static_cast<std::int64_t>(per);
    for (const std::int64_t b : bad) e.invalid += b;
    // A base point serves an output when all its evaluations give it.
    std::vector<std::uint8_t> usable(rows * m, 0);
    std::vector<double> centre(m, 0), count(m, 0);
    e.computed.assign(m, false);
    for (std::size_t j = 0; j < rows; ++j)
        for (std::size_t o = 0; o < m; ++o) {
            bool all = true;
            for (std::size_t q = 0; q < per; ++q) {
                const double v = y[(j * per + q) * m + o];
                if (std::isfinite(v))
                    e.computed[o] = true;
                else
                    all = false;
            }
            if (!all) continue;
            usable[j * m + o] = 1;
            centre[o] += y[j * per * m + o] + y[(j * per + 1) * m + o];
            count[o] += 2;
        }
    for (std::size_t o = 0; o < m; ++o) centre[o] = count[o] > 0 ? centre[o] / count[o] : 0;

    const std::size_t sums_size = m * (3 + 2 * k);
    std::vector<double> s1(m * k), st(m * k), sums(sums_size);
    estimate(y, k, m, centre, nullptr, usable, s1, st, sums);
    std::vector<SobolIndex> point(m * k);
    for (std::size_t o = 0; o < m; ++o) {
        std::int64_t used = 0;
        for (std::size_t j = 0; j < rows; ++j) used += usable[j * m + o];
        for (std::size_t i = 0; i < k; ++i)
            point[o * k + i] = {s1[o * k + i], kNaN, kNaN, st[o * k + i], kNaN, kNaN, used};
    }

    // The bootstrap: resample b draws N base points with replacement, which
    // weighs each point by the times it was drawn.
    const auto nb = static_cast<std::size_t>(std::max(resamples, 0));
    std::vector<double> boot1(nb * m * k, kNaN), boott(nb * m * k, kNaN);  // [(b * m + o) * k + i]
    struct Boot {
        std::vector<std::uint32_t> weight;
        std::vector<double> s1, st, sums;
    };
    for_each_index(
        static_cast<std::int64_t>(nb), jobs,
        [&] {
            return Boot{std::vector<std::uint32_t>(rows), std::vector<double>(m * k), std::vector<double>(m * k),
                        std::vector<double>(sums_size)};
        },
        [&](Boot& s, std::int64_t bb) {
            const auto b = static_cast<std::size_t>(bb);
            std::fill(s.weight.begin(), s.weight.end(), 0u);
            for (std::size_t t = 0; t < rows; ++t) ++s.weight[below(counter_bits(seed, kResample, b, t), rows)];
            estimate(y, k, m, centre, &s.weight, usable, s.s1, s.st, s.sums);
            std::copy(s.s1.begin(), s.s1.end(), boot1.begin() + static_cast<std::ptrdiff_t>(b * m * k));
            std::copy(s.st.begin(), s.st.end(), boott.begin() + static_cast<std::ptrdiff_t>(b * m * k));
        });
    std::vector<double> v1(nb), vt(nb);
    for (std::size_t o = 0; o < m; ++o)
        for (std::size_t i = 0; i < k; ++i) {
            for (std::size_t b = 0; b < nb; ++b) {
                v1[b] = boot1[(b * m + o) * k + i];
                vt[b] = boott[(b * m + o) * k + i];
            }
            SobolIndex& x = point[o * k + i];
            const Interval i1 = bootstrap_interval(v1), it = bootstrap_interval(vt);
            x.S1_low = i1.low;
            x.S1_high = i1.high;
            x.ST_low = it.low;
            x.ST_high = it.high;
        }
    e.indices = std::move(point);
    return e;
}

InputRange parse_input_range(std::string_view text) {
    const std::string whole(text);
    const std::size_t eq = text.find('=');
    const std::size_t colon = text.find(':', eq == std::string_view::npos ? 0 : eq);
    const auto bad = [&](const std::string& why) { return UsageError("--vary " + whole + ": " + why); };
    if (eq == std::string_view::npos || eq == 0 || colon == std::string_view::npos)
        throw bad("NAME=LO:HI, such as Q=0.0009:0.0011");
    const std::optional<double> lo = parse_plain_decimal(text.substr(eq + 1, colon - eq - 1));
    const std::optional<double> hi = parse_plain_decimal(text.substr(colon + 1));
    if (!lo || !hi) throw bad("LO and HI are plain decimals (NAME=LO:HI)");
    if (!(*lo < *hi)) throw bad("LO must be below HI");
    return {std::string(text.substr(0, eq)), *lo, *hi};
}

Method parse_method(std::string_view text) {
    for (const Method m : {Method::oat, Method::morris, Method::sobol})
        if (fixrec::equal_ignoring_case(method_name(m), text)) return m;
    const std::string hint = did_you_mean(text, {"oat", "morris", "sobol"});
    throw UsageError("unknown method " + std::string(text) + " (" + (hint.empty() ? "" : hint + " ") +
                     "one of oat, morris, sobol)");
}

std::string_view method_name(Method method) {
    switch (method) {
        case Method::oat: return "oat";
        case Method::morris: return "morris";
        case Method::sobol: break;
    }
    return "sobol";
}

Sensitivity::Sensitivity(const Calculator& calc, std::span<const Value> base, std::span<const InputRange> ranges)
    : calc_(&calc), base_(base.begin(), base.end()), ranges_(ranges.begin(), ranges.end()) {
    base_.resize(calc.inputs.size());
    if (ranges_.empty()) throw UsageError("no input to vary: give each as --vary NAME=LO:HI");
    std::vector<bool> seen(calc.inputs.size(), false);
    for (InputRange& r : ranges_) {
        const std::size_t input = input_index(calc, r.name);
        const Field& field = calc.inputs[input];
        r.name = std::string(field.name);
        if (seen[input]) throw UsageError(r.name + " is varied twice");
        seen[input] = true;
        inputs_.push_back(input);
        for (const double bound : {r.lo, r.hi}) {
            try {
                hold(field, bound);
            } catch (const UsageError& e) {
                char buf[32];
                throw UsageError("--vary " + r.name + ": bound " +
                                 std::string(buf, std::to_chars(buf, buf + sizeof buf, bound).ptr) + ": " + e.what());
            }
        }
    }
}

void Sensitivity::only_real_inputs(std::string_view method) const {
    for (const std::size_t i : inputs_)
        if (calc_->inputs[i].type == calculators::ValueType::Integer)
            throw UsageError(std::string(calc_->inputs[i].name) + " is a whole number: the " + std::string(method) +
                             " method takes values between its bounds; vary it with --method oat or a sweep");
}

ModelFactory Sensitivity::model() const {
    return [this] {
        struct State {
            std::vector<Value> inputs;
            std::vector<FieldHolder> holders;
            calculators::Outcome outcome;
        };
        auto s = std::make_shared<State>();
        s->inputs = base_;
        for (const std::size_t i : inputs_) s->holders.emplace_back(calc_->inputs[i]);
        return UnitModel([this, s](std::span<const double> u, std::span<double> y) {
            for (std::size_t k = 0; k < inputs_.size(); ++k) {
                const InputRange& r = ranges_[k];
                const double x = u[k] >= 1 ? r.hi : r.lo + u[k] * (r.hi - r.lo);
                s->inputs[inputs_[k]] = s->holders[k](x);
            }
            calc_->compute(s->inputs, false, s->outcome);
            const calculators::Outcome& o = s->outcome;
            if (!o.valid) return false;
            for (std::size_t r = 0; r < calc_->results.size(); ++r)
                y[r] = r < o.results.size() && r < o.computed.size() && o.computed[r]
                           ? value_number(calc_->results[r], o.results[r])
                           : kNaN;
            return true;
        });
    };
}

SensitivityReport Sensitivity::oat(unsigned) const {
    SensitivityReport report;
    report.method = Method::oat;
    const std::size_t k = inputs_.size(), m = calc_->results.size();
    std::vector<double> low(k * m, kNaN), high(k * m, kNaN);
    std::vector<bool> computed(m, false);
    calculators::Outcome o;
    for (std::size_t i = 0; i < k; ++i)
        for (const bool at_high : {false, true}) {
            std::vector<Value> inputs = base_;
            const Field& field = calc_->inputs[inputs_[i]];
            inputs[inputs_[i]] = hold(field, at_high ? ranges_[i].hi : ranges_[i].lo).value;
            calc_->compute(inputs, false, o);
            ++report.evaluations;
            if (!o.valid) {
                ++report.invalid;
                continue;
            }
            for (std::size_t r = 0; r < m; ++r)
                if (r < o.results.size() && r < o.computed.size() && o.computed[r]) {
                    (at_high ? high : low)[i * m + r] = value_number(calc_->results[r], o.results[r]);
                    computed[r] = true;
                }
        }
    for (std::size_t r = 0; r < m; ++r) {
        if (!computed[r]) continue;
        std::vector<OatEntry> entries;
        for (std::size_t i = 0; i < k; ++i) {
            const double l = low[i * m + r], h = high[i * m + r];
            entries.push_back({ranges_[i].name, std::string(calc_->results[r].name), l, h, std::fabs(h - l)});
        }
        std::stable_sort(entries.begin(), entries.end(), [](const OatEntry& a, const OatEntry& b) {
            return a.swing > b.swing || (!std::isnan(a.swing) && std::isnan(b.swing));
        });
        report.oat.insert(report.oat.end(), entries.begin(), entries.end());
    }
    return report;
}

SensitivityReport Sensitivity::morris(std::int64_t trajectories, int levels, std::uint64_t seed, unsigned jobs) const {
    only_real_inputs("morris");
    const MorrisEstimate e =
        morris_effects(inputs_.size(), calc_->results.size(), trajectories, levels, seed, model(), jobs);
    SensitivityReport report;
    report.method = Method::morris;
    report.evaluations = e.evaluations;
    report.invalid = e.invalid;
    for (std::size_t r = 0; r < e.outputs; ++r) {
        if (!e.computed[r]) continue;
        for (std::size_t i = 0; i < e.inputs; ++i) {
            const MorrisEffect& x = e.at(r, i);
            report.morris.push_back({ranges_[i].name, std::string(calc_->results[r].name), x.mu_star, x.mu, x.sigma});
        }
    }
    return report;
}

SensitivityReport Sensitivity::sobol(std::int64_t n, std::uint64_t seed, unsigned jobs, int resamples) const {
    only_real_inputs("sobol");
    const SobolEstimate e = sobol_indices(inputs_.size(), calc_->results.size(), n, seed, model(), jobs, resamples);
    SensitivityReport report;
    report.method = Method::sobol;
    report.evaluations = e.evaluations;
    report.invalid = e.invalid;
    for (std::size_t r = 0; r < e.outputs; ++r) {
        if (!e.computed[r]) continue;
        for (std::size_t i = 0; i < e.inputs; ++i) {
            const SobolIndex& x = e.at(r, i);
            report.sobol.push_back({ranges_[i].name, std::string(calc_->results[r].name), x.S1, x.S1_low, x.S1_high,
                                    x.ST, x.ST_low, x.ST_high});
        }
    }
    return report;
}

plot::Figure tornado_figure(const Calculator& calc, const SensitivityReport& report, std::string_view result,
                            double base, std::string title) {
    std::vector<const OatEntry*> entries;
    std::string name;
    for (const OatEntry& e : report.oat)
        if (fixrec::equal_ignoring_case(e.result, result)) {
            entries.push_back(&e);
            name = e.result;
        }
    if (entries.empty()) {
        std::vector<std::string> names;
        for (const OatEntry& e : report.oat)
            if (names.empty() || names.back() != e.result) names.push_back(e.result);
        std::string list;
        for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
        const std::string hint = did_you_mean(result, names);
        throw UsageError("no tornado of " + std::string(result) + " (" + (hint.empty() ? "" : hint + " ") +
                         "the results the study computed: " + list + ")");
    }
    std::string unit;
    for (const Field& f : calc.results)
        if (f.name == name) unit = to_utf8(f.unit);
    plot::Figure f;
    f.title = std::move(title);
    f.x = {name, unit};
    plot::Panel panel;
    panel.left = {"inputs by swing (top: the largest)", ""};
    const std::size_t n = entries.size();
    for (std::size_t k = 0; k < n; ++k) {
        const OatEntry& e = *entries[k];
        // The largest swing on top: the y axis grows upwards.
        const double y = static_cast<double>(n - k);
        panel.series.push_back({e.input + ": " + brief(e.low) + " at LO, " + brief(e.high) + " at HI",
                                {e.low, e.high},
                                {y, y}});
    }
    f.panels.push_back(std::move(panel));
    if (std::isfinite(base)) f.markers.push_back({base, "as the file holds its inputs"});
    return f;
}

}  // namespace swirl
