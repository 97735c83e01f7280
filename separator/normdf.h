// The standard normal distribution function Phi(x) by 6-point Newton
// forward-difference interpolation in a table at steps of 0.2 on [0, 5], the
// symmetry Phi(-x) = 1 - Phi(x), and a finer table for the far lower tail.
// The tables are the literal five-decimal values the efficiency integrals were
// calibrated with; they are data, not to be recomputed (the last entries stop
// at 0.99999 and some differ from the correctly rounded Phi in the fifth
// decimal).
#pragma once

#include <array>

namespace separator {

using TableF = std::array<float, 26>;
using TableT = std::array<float, 9>;

// Phi(x) at x = 0.0, 0.2, ..., 5.0.
inline constexpr TableF kTABF = {
    0.5f,
    0.57925f,
    0.65542f,
    0.72574f,
    0.78814f,
    0.84134f,
    0.88493f,
    0.91925f,
    0.9452f,
    0.96406f,
    0.97724f,
    0.98609f,
    0.9918f,
    0.99533f,
    0.99744f,
    0.99865f,
    0.99931f,
    0.99966f,
    0.99984f,
    0.99992f,
    0.99996f,
    0.99998f,
    0.99999f,
    0.99999f,
    0.99999f,
    0.99999f};
// 1.0e-5 - Phi(-t) at t = 4.2, 4.3, ..., 5.0.
inline constexpr TableT kTABT = {
    -3.3457e-06f,
    1.4601e-06f,
    4.5875e-06f,
    6.6023e-06f,
    7.8875e-06f,
    8.6992e-06f,
    9.2067e-06f,
    9.5208e-06f,
    9.7133e-06f};

// Phi(x) from the tables (NORMDF).  Exactly 0 for x <= -5 and exactly 1 for
// x >= 5.
float normal_distribution(float x);

// 1.0e-5 - Phi(x) for x <= -4.2 from the tail table (NORMTL); 1.0e-5 for
// x <= -5, so that normal_distribution gives exactly 0 there.
float normal_lower_tail(float x);

}  // namespace separator
