// The distributions of a sample's inputs, written as on the command line:
//
//   uniform(LO,HI)            LO < HI
//   normal(MEAN,SD)           SD > 0
//   lognormal(MEDIAN,GSD)     ln X is normal with mean ln MEDIAN and standard
//                             deviation ln GSD: MEDIAN > 0, GSD > 1 (the
//                             geometric standard deviation)
//   triangular(LO,MODE,HI)    LO < HI, LO <= MODE <= HI
//   const(V)                  always V
//
// each optionally truncated to [LO,HI] (LO < HI, written right after the
// closing parenthesis: "normal(1,0.1)[0.8,1.2]"): the distribution
// conditioned on the interval, which must have probability above zero
// (const: V within it).  Names in any case; parameters are plain decimals
// (parse_plain_decimal), blanks around them are dropped.  Anything else is a
// UsageError naming the text.
//
// A value is drawn by the inverse of the distribution function at a number u
// of (0, 1): x = F⁻¹(F(LO) + u·(F(HI) − F(LO))) when truncated.  The
// quantile functions are Boost.Math's; an interval in the upper tail is
// mapped through the complementary function, which keeps its precision there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace swirl {

struct Distribution {
    enum class Kind { uniform, normal, lognormal, triangular, constant };
    Kind kind = Kind::constant;
    double a = 0, b = 0, c = 0;  // the parameters in the order written
    std::optional<double> lo, hi;  // the truncation

    // The value at u, 0 < u < 1.
    double quantile(double u) const;
    // The distribution function (of the truncated distribution when truncated).
    double cdf(double x) const;
    // The normalised text: "normal(1000,50)[900,1100]" (each number the
    // shortest decimal of its double).
    std::string text() const;

    // Set by parse_distribution: the probabilities of the truncation bounds,
    // and whether they are taken on the complementary function.
    double p_lo = 0, p_hi = 1;
    bool upper_tail = false;
};

Distribution parse_distribution(std::string_view text);

// NAME=DIST: an input of a sample and its distribution.
struct SampledInput {
    std::string name;
    Distribution distribution;
};
SampledInput parse_sampled_input(std::string_view text);

}  // namespace swirl
