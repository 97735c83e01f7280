#include "swirl/core/grid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "swirl/core/numbers.h"

namespace swirl {

namespace {

constexpr std::int64_t kMaxCases = std::int64_t{1} << 62;

// A whole number written with digits only; a value beyond int64 saturates,
// which every caller refuses as too large.
std::optional<std::int64_t> parse_whole(std::string_view t) {
    if (t.empty() || t.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    std::int64_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec == std::errc::result_out_of_range) return std::numeric_limits<std::int64_t>::max();
    return v;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

double Grid::value(std::int64_t i) const {
    if (i == 0) return from;
    if (i == count - 1) return to;
    const auto steps = static_cast<double>(count - 1);
    if (log) return from * std::pow(to / from, static_cast<double>(i) / steps);
    return from + static_cast<double>(i) * (to - from) / steps;
}

Grid parse_grid(std::string_view text) {
    const std::string quoted = "grid \"" + std::string(text) + "\": ";
    const auto fail = [&](const std::string& what) { return UsageError(quoted + what); };

    const auto eq = text.find('=');
    if (eq == std::string_view::npos) throw fail("expected NAME=FROM:TO:COUNT or NAME=FROM:TO:COUNT:log");
    Grid g;
    g.name = std::string(text.substr(0, eq));
    if (g.name.empty()) throw fail("the name is missing before '='");
    for (const char c : g.name)
        if (is_blank(c)) throw fail("the name contains a blank");

    std::vector<std::string_view> parts;
    for (std::string_view rest = text.substr(eq + 1);;) {
        const auto colon = rest.find(':');
        parts.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    const std::size_t n = parts.size();
    if (n < 3 || n > 4) throw fail("expected NAME=FROM:TO:COUNT or NAME=FROM:TO:COUNT:log");
    if (n == 4) {
        if (parts[3] != "log") throw fail("the fourth part must be \"log\", not \"" + std::string(parts[3]) + "\"");
        g.log = true;
    }
    const auto bound = [&](std::string_view t, const char* which) {
        const auto v = parse_plain_decimal(t);
        if (!v) throw fail(std::string(which) + " \"" + std::string(t) + "\" is not a plain decimal number");
        return *v;
    };
    g.from = bound(parts[0], "FROM");
    g.to = bound(parts[1], "TO");
    const auto count = parse_whole(parts[2]);
    if (!count) throw fail("COUNT \"" + std::string(parts[2]) + "\" is not a whole number");
    if (*count < 1) throw fail("COUNT must be at least 1");
    if (*count > kMaxCases) throw fail("COUNT is too large");
    g.count = *count;
    if (g.log && (g.from <= 0 || g.to <= 0)) throw fail("a log grid needs FROM and TO greater than 0");
    const double span = g.log ? g.to / g.from : g.to - g.from;
    if (!std::isfinite(span) || (g.log && span == 0)) throw fail("the range is beyond double precision");
    return g;
}

std::int64_t case_count(std::span<const Grid> grids) {
    if (grids.empty()) throw UsageError("a sweep needs at least one grid");
    std::int64_t total = 1;
    for (const Grid& g : grids) {
        if (g.count > kMaxCases / total) throw UsageError("the sweep has more than 2^62 cases");
        total *= g.count;
    }
    return total;
}

void case_indices(std::span<const Grid> grids, std::int64_t index, std::span<std::int64_t> indices) {
    for (std::size_t k = grids.size(); k-- > 0;) {
        indices[k] = index % grids[k].count;
        index /= grids[k].count;
    }
}

Shard parse_shard(std::string_view text) {
    const std::string quoted = "shard \"" + std::string(text) + "\": ";
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) throw UsageError(quoted + "expected K/N, as 2/4 for the second of four");
    const auto k = parse_whole(text.substr(0, slash));
    const auto n = parse_whole(text.substr(slash + 1));
    if (!k || !n) throw UsageError(quoted + "expected K/N with whole numbers K and N");
    if (*n < 1) throw UsageError(quoted + "N must be at least 1");
    if (*n > kMaxCases) throw UsageError(quoted + "N is too large");
    if (*k < 1 || *k > *n) throw UsageError(quoted + "K must be from 1 to N");
    return {*k, *n};
}

CaseRange shard_range(std::int64_t total, Shard shard) {
    const std::int64_t base = total / shard.n;
    const std::int64_t extra = total % shard.n;  // the first `extra` shards get one case more
    const auto start = [&](std::int64_t k) { return k * base + std::min(k, extra); };
    return {start(shard.k - 1), start(shard.k)};
}

}  // namespace swirl
