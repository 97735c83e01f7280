// Which input matters most: the estimators of sensitivity on any model of
// the unit cube, and the studies of a program's inputs over ranges LO:HI.
//
// A model maps a point u of [0,1]^k to m outputs; it returns false for an
// invalid evaluation, and an output it does not compute is NaN.  Models are
// made one per thread (ModelFactory), so they may keep buffers.
//
// Morris's elementary effects.  r trajectories on a grid of p levels
// (p even; u = l/(p−1)), step Δ = p/(2(p−1)): a trajectory starts at levels
// drawn from the seed and moves each input once, in an order drawn from the
// seed, by +Δ where that stays within [0,1] and by −Δ otherwise; it costs
// k + 1 evaluations.  The effect of input i is (y(after) − y(before))/(±Δ):
// the change of the output over the input's whole range, as the step
// suggests it.  mu is the mean of the effects, mu_star the mean of their
// absolute values, sigma their standard deviation (n − 1).  An effect with
// an end that is invalid or lacks the output is left out (and counted).
//
// Sobol's indices.  Saltelli's scheme: N base points of a 2k-dimensional
// Sobol sequence (design.h, digitally shifted by the seed) give the
// matrices A (the first k coordinates) and B (the last k); A_B^i is A with
// column i from B; N·(k + 2) evaluations.  With V the variance (n − 1) of
// the outputs over A and B together:
//   first order S1_i = mean(f(B)·(f(A_B^i) − f(A))) / V     (Saltelli 2010)
//   total       ST_i = mean((f(A) − f(A_B^i))²) / (2V)      (Jansen 1999)
// the outputs first centred on their mean over A and B (a constant shift,
// which leaves the estimators unbiased and keeps their variance down).
// A base point with any evaluation invalid, or lacking the output, is left
// out of that output's indices (each entry says how many points it used).
// Intervals: the percentile bootstrap over the base points (`resamples`
// resamples of the N points drawn with replacement from the seed; points
// left out of an output stay out), 2.5 % to 97.5 % (type 7).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/model/model.h"
#include "swirl/svg/svg_plot.h"

namespace swirl {

using UnitModel = std::function<bool(std::span<const double> u, std::span<double> y)>;
using ModelFactory = std::function<UnitModel()>;

struct MorrisEffect {
    double mu_star, mu, sigma;  // NaN without effects
    std::int64_t effects = 0;   // the effects they are of
};
struct MorrisEstimate {
    std::size_t inputs = 0, outputs = 0;
    std::vector<MorrisEffect> effects;  // [output * inputs + input]
    std::int64_t evaluations = 0, invalid = 0;
    std::vector<bool> computed;  // per output: some valid evaluation gave it
    const MorrisEffect& at(std::size_t output, std::size_t input) const { return effects[output * inputs + input]; }
};
MorrisEstimate morris_effects(std::size_t inputs, std::size_t outputs, std::int64_t trajectories, int levels,
                              std::uint64_t seed, const ModelFactory& model, unsigned jobs = 1);

struct SobolIndex {
    double S1, S1_low, S1_high, ST, ST_low, ST_high;  // NaN without points or variance
    std::int64_t points = 0;                          // the base points used
};
struct SobolEstimate {
    std::size_t inputs = 0, outputs = 0;
    std::vector<SobolIndex> indices;  // [output * inputs + input]
    std::int64_t evaluations = 0, invalid = 0;
    std::vector<bool> computed;  // per output: some valid evaluation gave it
    const SobolIndex& at(std::size_t output, std::size_t input) const { return indices[output * inputs + input]; }
};
inline constexpr int kBootstrapResamples = 100;
SobolEstimate sobol_indices(std::size_t inputs, std::size_t outputs, std::int64_t n, std::uint64_t seed,
                            const ModelFactory& model, unsigned jobs = 1, int resamples = kBootstrapResamples);

// An input of a sensitivity study and its range: NAME=LO:HI, LO < HI, plain
// decimals.  UsageError otherwise.
struct InputRange {
    std::string name;
    double lo = 0, hi = 0;
};
InputRange parse_input_range(std::string_view text);

enum class Method { oat, morris, sobol };
Method parse_method(std::string_view text);  // any case; UsageError otherwise
std::string_view method_name(Method method);

struct OatEntry {
    std::string input, result;
    double low, high, swing;  // the result with the input at LO and at HI, |high − low|; NaN when invalid
};
struct MorrisEntry {
    std::string input, result;
    double mu_star, mu, sigma;
};
struct SobolEntry {
    std::string input, result;
    double S1, S1_low, S1_high, ST, ST_low, ST_high;
};
struct SensitivityReport {
    Method method = Method::oat;
    std::int64_t evaluations = 0, invalid = 0;
    // One entry per input and result, results in the program's order, the
    // results no valid evaluation computed left out; oat ranks the inputs of
    // each result by swing (largest first, NaN last), the others keep the
    // order of the ranges.
    std::vector<OatEntry> oat;
    std::vector<MorrisEntry> morris;
    std::vector<SobolEntry> sobol;
};

// A program's inputs over their ranges, the other inputs as `base` holds
// them.  Every value is held as its field holds it, as a sweep holds its
// grids: x = LO + u·(HI − LO), then hold().
class Sensitivity {
public:
    // UsageError: no range, a name that is not an input (any case), an input
    // named twice, a bound its field cannot hold.
    Sensitivity(const Calculator& calc, std::span<const Value> base, std::span<const InputRange> ranges);

    const Calculator& program() const { return *calc_; }
    const std::vector<InputRange>& ranges() const { return ranges_; }

    // Each input at LO and at HI (2k evaluations).
    SensitivityReport oat(unsigned jobs = 1) const;
    // UsageError: trajectories < 1, levels odd or below 2, an integer input.
    SensitivityReport morris(std::int64_t trajectories, int levels, std::uint64_t seed, unsigned jobs = 1) const;
    // UsageError: n < 1, an integer input.
    SensitivityReport sobol(std::int64_t n, std::uint64_t seed, unsigned jobs = 1,
                            int resamples = kBootstrapResamples) const;

    // The program as a model of the unit cube: its results (value_number),
    // NaN where not computed.
    ModelFactory model() const;

private:
    void only_real_inputs(std::string_view method) const;

    const Calculator* calc_;
    std::vector<Value> base_;
    std::vector<InputRange> ranges_;  // names as the program spells them
    std::vector<std::size_t> inputs_;
};

// The tornado chart of one result of an oat report: a horizontal bar per
// input from its low to its high value, the largest swing on top, and the
// result at the data file's inputs (`base`, when finite) marked.
// UsageError: a result the report does not hold.
plot::Figure tornado_figure(const Calculator& calc, const SensitivityReport& report, std::string_view result,
                            double base, std::string title);

}  // namespace swirl
