// The grids of a parameter sweep: which values each varied quantity takes,
// how the cases of several grids are numbered, and how the cases are split
// between several runs of the command (shards).
//
// A grid is written NAME=FROM:TO:COUNT or NAME=FROM:TO:COUNT:log.  FROM and
// TO are plain decimals (parse_plain_decimal), FROM may exceed TO, COUNT is a
// positive integer; a log grid needs FROM and TO above zero.  COUNT = 1 gives
// the single value FROM.  Value i of COUNT, computed in double:
//   linear   FROM + i*(TO-FROM)/(COUNT-1)
//   log      FROM*(TO/FROM)^(i/(COUNT-1))
// and exactly FROM at i = 0 and exactly TO at i = COUNT-1 in both.  The name
// is not checked against any program here, only that it is non-empty text
// without blanks.
//
// The cases of several grids are their Cartesian product, numbered from 0
// with the LAST grid changing fastest (as nested loops with the last grid
// innermost).  A sweep without grids, or of more than 2^62 cases, is refused.
//
// A shard K/N (1 <= K <= N) is the K-th of N contiguous blocks of the cases
// [0, total): the blocks differ in size by at most one, the earlier ones
// larger, and together, in order, they are all the cases.  When N exceeds the
// number of cases, the last shards are empty: such a run writes only the
// header of its table.
//
// A text that cannot be accepted throws UsageError with a one-line message
// naming the text and what is wrong; the command ends with exit code 64.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "swirl/core/usage_error.h"

namespace swirl {

struct Grid {
    std::string name;
    double from = 0;
    double to = 0;
    std::int64_t count = 1;
    bool log = false;

    double value(std::int64_t i) const;  // 0 <= i < count
};

Grid parse_grid(std::string_view text);

// The number of cases of the product of the grids.
std::int64_t case_count(std::span<const Grid> grids);

// The index into each grid of case `index` (0 <= index < case_count);
// `indices` has one element per grid.
void case_indices(std::span<const Grid> grids, std::int64_t index, std::span<std::int64_t> indices);

struct Shard {
    std::int64_t k = 1;
    std::int64_t n = 1;
};

Shard parse_shard(std::string_view text);

// Cases [begin, end) of one shard.
struct CaseRange {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

CaseRange shard_range(std::int64_t total, Shard shard);

}  // namespace swirl
