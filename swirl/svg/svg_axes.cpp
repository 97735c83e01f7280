// The ticks of an axis and the range it draws.  See "Ticks" in svg_plot.h.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "svg_plot.h"

namespace swirl::plot {

namespace {

// n·10^e as the nearest double.  from_chars rounds correctly, so a tick built
// this way prints back, shortest, as the short decimal it stands for.
double decimal(long long n, int e) {
    const std::string text = std::to_string(n) + "e" + std::to_string(e);  // integers: no locale
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

int floor_div(int a, int b) { return a / b - (a % b < 0); }

void widen_if_equal(double& lo, double& hi) {
    if (lo != hi) return;
    const double d = lo == 0 ? 1 : std::abs(lo) * 0.1;
    lo -= d;
    hi += d;
}

// The largest 1, 2 or 5 times a power of ten at most v (up: the smallest at
// least v), for v > 0 within the range an axis may have.
double nice_bound(double v, bool up) {
    const int d = static_cast<int>(std::floor(std::log10(v)));
    double best = up ? std::numeric_limits<double>::infinity() : 0;
    for (int e = d - 1; e <= d + 1; ++e)
        for (int m : {1, 2, 5}) {
            const double c = decimal(m, e);
            if (up ? c >= v && c < best : c <= v && c > best) best = c;
        }
    return best;
}

}  // namespace

Ticks linear_ticks(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) throw PlotError("axis range is not finite");
    widen_if_equal(lo, hi);
    if (!(hi - lo > 1e-290 && hi - lo < 1e290)) throw PlotError("axis range is too wide or too narrow to draw");
    // Starting at a tenth of the span there are always too many intervals; the
    // first step of 1, 2, 2.5, 5 × 10^k with at most 7 is the one, and it
    // leaves at least 3, since each step is at most twice the one before.
    for (int k = static_cast<int>(std::floor(std::log10(hi - lo))) - 1;; ++k) {
        for (int m : {1, 2, 25, 5}) {
            const int e = m == 25 ? k - 1 : k;
            const double step = decimal(m, e);
            const double i0 = std::floor(lo / step + 1e-9), i1 = std::ceil(hi / step - 1e-9);
            if (i1 - i0 > 7) continue;
            Ticks t;
            for (double i = i0; i <= i1; ++i) t.major.push_back(decimal(static_cast<long long>(i) * m, e));
            t.lo = t.major.front();
            t.hi = t.major.back();
            return t;
        }
    }
}

Ticks aligned_ticks(double lo, double hi, std::size_t intervals) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) throw PlotError("axis range is not finite");
    if (intervals == 0 || intervals > 100) throw PlotError("an aligned axis needs 1 to 100 intervals");
    widen_if_equal(lo, hi);
    if (!(hi - lo > 1e-290 && hi - lo < 1e290)) throw PlotError("axis range is too wide or too narrow to draw");
    const auto n = static_cast<long long>(intervals);
    for (int k = static_cast<int>(std::floor(std::log10((hi - lo) / static_cast<double>(n)))) - 1;; ++k) {
        for (int m : {1, 2, 25, 5}) {
            const int e = m == 25 ? k - 1 : k;
            const double step = decimal(m, e);
            // The first tick k0·step: from kmin up to kmax the n steps cover lo..hi.
            const auto kmax = static_cast<long long>(std::floor(lo / step + 1e-9));
            const auto kmin = static_cast<long long>(std::ceil(hi / step - 1e-9)) - n;
            if (kmin > kmax) continue;
            // The data in the middle, but an axis of values of one sign stays on its side of 0.
            long long k0 = kmin + (kmax - kmin) / 2;
            if (lo >= 0) k0 = std::max(k0, std::min(kmax, 0LL));
            if (hi <= 0) k0 = std::min(k0, std::max(kmin, -n));
            Ticks t;
            for (long long i = k0; i <= k0 + n; ++i) t.major.push_back(decimal(i * m, e));
            t.lo = t.major.front();
            t.hi = t.major.back();
            return t;
        }
    }
}

Ticks log_ticks(double lo, double hi) {
    if (!(lo > 0) || !std::isfinite(hi) || lo > hi) throw PlotError("log axis range must be positive");
    if (!(lo > 1e-290 && hi < 1e290)) throw PlotError("log axis range is too wide to draw");
    if (hi < 10 * lo) {  // less than a decade: linear ticks on the log scale
        Ticks t = linear_ticks(lo, hi);
        if (t.lo <= 0) {
            std::erase_if(t.major, [](double v) { return v <= 0; });
            t.lo = lo;
        }
        return t;
    }
    int d0 = static_cast<int>(std::floor(std::log10(lo))), d1 = static_cast<int>(std::ceil(std::log10(hi)));
    while (decimal(1, d0) > lo) --d0;  // log10 may be off by one ulp at a power of ten
    while (decimal(1, d0 + 1) <= lo) ++d0;
    while (decimal(1, d1) < hi) ++d1;
    while (decimal(1, d1 - 1) >= hi) --d1;
    const int n = d1 - d0;
    int every = 1;  // label every n-th decade, at multiples of n, 8 labels at most
    while (-floor_div(-d1, every) - floor_div(d0, every) > 7) ++every;
    // The axis ends at the 1, 2 or 5 next to the data, not at the next decade.
    Ticks t{nice_bound(lo, false), nice_bound(hi, true), {}, {}};
    auto add = [&t](std::vector<double>& to, double v) {
        if (v >= t.lo && v <= t.hi) to.push_back(v);
    };
    for (int d = d0; d <= d1; ++d) {
        const bool labelled = floor_div(d, every) * every == d;
        add(labelled ? t.major : t.minor, decimal(1, d));
        if (d == d1 || every > 1) continue;
        for (int m = 2; m < 10; ++m) {  // 2 and 5; over one or two decades every digit
            if (m == 2 || m == 5) add(n <= 2 ? t.major : t.minor, decimal(m, d));
            else if (n <= 2) add(t.minor, decimal(m, d));
        }
    }
    return t;
}

Range drawn_range(const Ticks& t, bool log, double room) {
    if (log) {
        const double l0 = std::log10(t.lo), l1 = std::log10(t.hi), pad = (l1 - l0) * room;
        return {std::pow(10.0, l0 - pad), std::pow(10.0, l1 + pad)};
    }
    const double pad = (t.hi - t.lo) * room;
    return {t.lo - pad, t.hi + pad};
}

std::vector<std::string> tick_labels(const std::vector<double>& ticks) {
    double big = 0, small = std::numeric_limits<double>::infinity();
    for (double v : ticks) {
        if (v != 0) {
            big = std::max(big, std::abs(v));
            small = std::min(small, std::abs(v));
        }
    }
    const bool sci = big >= 1e5 || small < 1e-3;
    std::vector<std::string> out;
    for (double v : ticks) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v,
                               sci ? std::chars_format::scientific : std::chars_format::fixed);
        std::string s(buf, r.ptr);
        if (auto e = s.find('e'); e != std::string::npos) {  // 2.5e-06 -> 2.5e-6, 1e+00 -> 1
            std::string mant = s.substr(0, e), exp = s.substr(e + 1);
            bool neg = exp[0] == '-';
            exp.erase(0, exp.find_first_not_of("+-0"));
            s = exp.empty() ? mant : mant + "e" + (neg ? "-" : "") + exp;
        }
        out.push_back(s);
    }
    return out;
}

}  // namespace swirl::plot
