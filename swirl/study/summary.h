// The summary of a study's table (a sweep's, a case list's or a sample's):
// per result how many cases computed it, its mean, standard deviation and
// percentiles; per requirement ("ETA>=95") the share of the cases that meet
// it with a 95 % Wilson interval; and the histogram of a result.
//
// Counts of a result: `ok` the cases with status ok that hold a value of it,
// `invalid` those with status invalid, `not_computed` the ok cases whose
// path does not compute it (an empty cell); the three add up to the cases.
// The statistics are of the ok values only: mean, sd the sample standard
// deviation (n − 1; none for fewer than two values), min, max, and the
// percentiles P5, P50, P95 by linear interpolation between order statistics
// (Hyndman and Fan's type 7, as R and NumPy give them by default): with the n
// values sorted x[0..n-1], P = x[j] + g·(x[j+1] − x[j]) where (n − 1)·p = j + g.
// A result without values has none of them (NaN; null in JSON).
//
// A requirement is RESULT>=VALUE, RESULT>VALUE, RESULT<=VALUE or
// RESULT<VALUE (the name in any case, VALUE a plain decimal).  A case meets
// it when its status is ok and its value of RESULT does; an invalid case and
// one whose path does not compute RESULT do not.  The share is of all cases.
// Its interval is Wilson's score interval at z = 1.959963984540054.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/core/csv.h"
#include "swirl/model/model.h"
#include "swirl/svg/svg_plot.h"

namespace swirl {

// Where a study's table keeps what a summary reads.
struct StudyColumns {
    const Calculator* program = nullptr;
    std::size_t first_input = 0;  // 1 after a sample's column `case`
    std::size_t status = 0;
    std::vector<std::size_t> results;  // the column of each result of the program
};
// The columns of a table written by swirl sweep or swirl sample (their
// header tells the program); nullopt for any other header.
std::optional<StudyColumns> study_columns(const std::vector<std::string>& columns);

struct ResultSummary {
    std::string name;
    std::int64_t ok = 0, invalid = 0, not_computed = 0;
    double mean, sd, min, p5, p50, p95, max;  // NaN when there is no value
};

struct Requirement {
    enum class Op { at_least, above, at_most, below };
    std::string text;    // as written
    std::string result;  // the name as written
    Op op = Op::at_least;
    double value = 0;
    bool met_by(double x) const;
};
// UsageError for a text that is not a requirement.
Requirement parse_requirement(std::string_view text);

struct RequirementShare {
    std::string text;  // as written
    std::int64_t met = 0, cases = 0;
    double share, low, high;  // NaN for a table without rows
};

struct TableSummary {
    const Calculator* program = nullptr;
    std::int64_t cases = 0;
    std::vector<ResultSummary> results;  // in the order of the program's results
    std::vector<RequirementShare> requirements;
};

// UsageError: a table that no sweep or sample wrote, a requirement on a
// name that is not a result of its program.  CsvError: a result's cell that
// is not a number, a status other than ok and invalid.
TableSummary summarize(const CsvTable& table, std::span<const Requirement> requirements);

// The index of the result of that name (any case) among calc.results;
// UsageError naming the nearest and listing them otherwise.
std::size_t result_index(const Calculator& calc, std::string_view name);

// The type-7 percentile of sorted values (p in [0, 1]; NaN for none).
double percentile(std::span<const double> sorted, double p);

struct Interval {
    double low, high;
};
// Wilson's score interval of met successes in n trials (n > 0).
Interval wilson_interval(std::int64_t met, std::int64_t n, double z = 1.959963984540054);

// The histogram of a result's ok values with P5, P50 and P95 marked, and the
// limit of `limit` when given (which must be on the same result).  UsageError:
// a name that is not a result, a result without values.
plot::Figure histogram_figure(const CsvTable& table, std::string_view result, const std::optional<Requirement>& limit,
                              std::string title);

}  // namespace swirl
