#include "swirl/study/distribution.h"

#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/triangular.hpp>
#include <boost/math/distributions/uniform.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "fixrec/ascii.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"

namespace swirl {

namespace {

using Kind = Distribution::Kind;

struct KindName {
    Kind kind;
    std::string_view name;
    std::size_t parameters;
    std::string_view form;
};
constexpr KindName kKinds[] = {
    {Kind::uniform, "uniform", 2, "uniform(LO,HI)"},
    {Kind::normal, "normal", 2, "normal(MEAN,SD)"},
    {Kind::lognormal, "lognormal", 2, "lognormal(MEDIAN,GSD)"},
    {Kind::triangular, "triangular", 3, "triangular(LO,MODE,HI)"},
    {Kind::constant, "const", 1, "const(V)"},
};

const KindName& kind_name(Kind k) {
    for (const KindName& n : kKinds)
        if (n.kind == k) return n;
    return kKinds[0];
}

std::string number_text(double v) {
    char buf[32];
    return {buf, std::to_chars(buf, buf + sizeof buf, v).ptr};
}

// Results beyond double are infinities, never exceptions: a value out of
// reach of a field is refused where it is held.
namespace policies = boost::math::policies;
using Policy = policies::policy<policies::overflow_error<policies::ignore_error>,
                                policies::underflow_error<policies::ignore_error>,
                                policies::domain_error<policies::ignore_error>,
                                policies::evaluation_error<policies::ignore_error>>;

// Calls f with the Boost distribution (not for const).
template <class F>
auto with_boost(const Distribution& d, F f) {
    namespace bm = boost::math;
    switch (d.kind) {
        case Kind::uniform: return f(bm::uniform_distribution<double, Policy>(d.a, d.b));
        case Kind::normal: return f(bm::normal_distribution<double, Policy>(d.a, d.b));
        case Kind::lognormal: return f(bm::lognormal_distribution<double, Policy>(std::log(d.a), std::log(d.b)));
        case Kind::triangular:
        case Kind::constant: break;
    }
    return f(bm::triangular_distribution<double, Policy>(d.a, d.b, d.c));
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// "A,B,C" as numbers; UsageError naming `what` otherwise.
std::vector<double> numbers(std::string_view list, const std::string& what) {
    std::vector<double> out;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view item = trimmed(list.substr(0, comma));
        const std::optional<double> v = parse_plain_decimal(item);
        if (!v) throw UsageError(what + ": \"" + std::string(item) + "\" is not a number");
        out.push_back(*v);
        if (comma == std::string_view::npos) return out;
        list.remove_prefix(comma + 1);
    }
}

}  // namespace

double Distribution::quantile(double u) const {
    if (kind == Kind::constant) return a;
    // A probability rounded to 0 or 1 would be an infinite quantile.
    const auto inside = [](double p) {
        return std::clamp(p, std::numeric_limits<double>::min(), std::nextafter(1.0, 0.0));
    };
    const double x = with_boost(*this, [&](const auto& d) {
        if (!lo && !hi) return boost::math::quantile(d, inside(u));
        if (upper_tail) return boost::math::quantile(boost::math::complement(d, inside(p_lo - u * (p_lo - p_hi))));
        return boost::math::quantile(d, inside(p_lo + u * (p_hi - p_lo)));
    });
    return lo && hi ? std::clamp(x, *lo, *hi) : x;
}

double Distribution::cdf(double x) const {
    if (kind == Kind::constant) return x < a ? 0.0 : 1.0;
    return with_boost(*this, [&](const auto& d) {
        const double r0 = boost::math::range(d).first, r1 = boost::math::range(d).second;
        const double at = std::clamp(x, std::max(r0, lo.value_or(r0)), std::min(r1, hi.value_or(r1)));
        if (!lo && !hi) return boost::math::cdf(d, at);
        const double p = upper_tail ? (p_lo - boost::math::cdf(boost::math::complement(d, at))) / (p_lo - p_hi)
                                    : (boost::math::cdf(d, at) - p_lo) / (p_hi - p_lo);
        return std::clamp(p, 0.0, 1.0);
    });
}

std::string Distribution::text() const {
    const KindName& k = kind_name(kind);
    std::string s(k.name);
    s += '(';
    const double params[] = {a, b, c};
    for (std::size_t i = 0; i < k.parameters; ++i) {
        if (i > 0) s += ',';
        s.append(number_text(params[i]));
    }
    s += ')';
    if (lo && hi) {
        s += '[';
        s.append(number_text(*lo));
        s += ',';
        s.append(number_text(*hi));
        s += ']';
    }
    return s;
}

Distribution parse_distribution(std::string_view text) {
    const std::string whole(text);
    const std::string what = "distribution " + whole;
    const std::size_t open = text.find('(');
    const std::size_t close = text.find(')');
    std::vector<std::string> names;
    std::string forms;
    for (const KindName& k : kKinds) {
        names.emplace_back(k.name);
        forms += (forms.empty() ? "" : ", ") + std::string(k.form);
    }
    const std::string name(trimmed(text.substr(0, open)));
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds)
        if (fixrec::equal_ignoring_case(k.name, name)) kind = &k;
    if (kind == nullptr) {
        const std::string hint = did_you_mean(name, names);
        throw UsageError("unknown distribution " + (name.empty() ? whole : name) + " (" +
                         (hint.empty() ? "" : hint + " ") + "one of " + forms + ")");
    }
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        throw UsageError(what + ": the parameters go in parentheses: " + std::string(kind->form));
    const std::vector<double> p = numbers(text.substr(open + 1, close - open - 1), what);
    if (p.size() != kind->parameters)
        throw UsageError(what + ": " + std::to_string(p.size()) + " parameters, " + std::string(kind->form) + " takes " +
                         std::to_string(kind->parameters));
    Distribution d;
    d.kind = kind->kind;
    d.a = p[0];
    d.b = p.size() > 1 ? p[1] : 0;
    d.c = p.size() > 2 ? p[2] : 0;
    const std::string refused = what + ": ";
    switch (d.kind) {
        case Kind::uniform:
            if (!(d.a < d.b)) throw UsageError(refused + "LO must be below HI");
            if (!std::isfinite(d.b - d.a)) throw UsageError(refused + "HI - LO is beyond double precision");
            break;
        case Kind::normal:
            if (!(d.b > 0)) throw UsageError(refused + "SD must be above 0");
            break;
        case Kind::lognormal:
            if (!(d.a > 0)) throw UsageError(refused + "MEDIAN must be above 0");
            if (!(d.b > 1)) throw UsageError(refused + "GSD must be above 1 (the geometric standard deviation)");
            break;
        case Kind::triangular:
            if (!(d.a < d.c)) throw UsageError(refused + "LO must be below HI");
            if (d.b < d.a || d.b > d.c) throw UsageError(refused + "MODE must lie between LO and HI");
            if (!std::isfinite(d.c - d.a)) throw UsageError(refused + "HI - LO is beyond double precision");
            break;
        case Kind::constant: break;
    }

    std::string_view rest = trimmed(text.substr(close + 1));
    if (rest.empty()) return d;
    if (rest.front() != '[' || rest.back() != ']')
        throw UsageError(what + ": after the parameters only a truncation [LO,HI] may follow");
    const std::vector<double> t = numbers(rest.substr(1, rest.size() - 2), what + ", truncation");
    if (t.size() != 2) throw UsageError(what + ": a truncation is [LO,HI]");
    if (!(t[0] < t[1])) throw UsageError(what + ": the truncation's LO must be below its HI");
    d.lo = t[0];
    d.hi = t[1];
    if (d.kind == Kind::constant) {
        if (d.a < t[0] || d.a > t[1]) throw UsageError(what + ": V lies outside the truncation");
        return d;
    }
    with_boost(d, [&](const auto& dist) {
        const double r0 = boost::math::range(dist).first, r1 = boost::math::range(dist).second;
        const double l = std::clamp(t[0], r0, r1), h = std::clamp(t[1], r0, r1);
        d.p_lo = boost::math::cdf(dist, l);
        d.p_hi = boost::math::cdf(dist, h);
        if (d.p_lo > 0.5) {
            d.upper_tail = true;
            d.p_lo = boost::math::cdf(boost::math::complement(dist, l));
            d.p_hi = boost::math::cdf(boost::math::complement(dist, h));
        }
        return 0;
    });
    const double mass = d.upper_tail ? d.p_lo - d.p_hi : d.p_hi - d.p_lo;
    if (!(mass > 0)) throw UsageError(what + ": the truncation holds no probability");
    return d;
}

SampledInput parse_sampled_input(std::string_view text) {
    const std::size_t eq = text.find('=');
    const std::string name(trimmed(text.substr(0, eq)));
    if (eq == std::string_view::npos || name.empty() || name.find_first_of(" \t") != std::string::npos)
        throw UsageError("--vary " + std::string(text) + ": NAME=DIST(...) such as Q=normal(0.001,0.00005)");
    try {
        return {name, parse_distribution(text.substr(eq + 1))};
    } catch (const UsageError& e) {
        throw UsageError("--vary " + std::string(text) + ": " + e.what());
    }
}

}  // namespace swirl
