// Single-precision arithmetic as the calculators compute it.
//
// Every named quantity is a float.  A formula is evaluated in double, its
// elementary functions included, and rounded to float when the named result is
// stored; later steps use the stored value.  Constants are the short decimals
// of the formulas as float literals, widened (lit).  The real power x**y is
// exp(y*ln x) in double, rounded to float as it returns, also inside a larger
// formula.  Division by zero, the root or logarithm of an invalid value, a
// negative base of a real power and overflow are detected through the
// floating-point exception flags of the computation (ArithmeticGuard); a step
// also checks that the results it stored are finite (all_finite).
#pragma once

#include <cfenv>
#include <cmath>
#include <initializer_list>
#include <span>

namespace numerics {

// A constant of a formula: the short decimal as the single-precision literal
// it is (lit(0.35f)), widened to double for the evaluation.  The double
// nearest 0.35 would give other last digits.
constexpr double lit(float v) { return static_cast<double>(v); }

// Rounds a double result to the stored single-precision value.
inline float store(double v) { return static_cast<float>(v); }

// The real power x**y.  A zero base with a positive exponent gives 0; a
// negative base (or a zero base with an exponent not above 0) is invalid
// arithmetic and raises the matching floating-point flag.
inline float rpow(double x, double y) {
    if (x == 0.0 && y > 0.0) return 0.0f;
    if (x < 0.0) {
        std::feraiseexcept(FE_INVALID);
        return NAN;
    }
    return static_cast<float>(std::exp(y * std::log(x)));
}

// True when every stored value is finite.
inline bool all_finite(std::initializer_list<float> values) {
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}
inline bool all_finite(std::span<const float> values) {
    for (float v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Watches the floating-point flags over a computation.
class ArithmeticGuard {
public:
    ArithmeticGuard() { std::feclearexcept(FE_ALL_EXCEPT); }
    // True when the computation divided by zero, made an invalid operation or
    // overflowed since the guard was made.
    bool failed() const { return std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW) != 0; }
};

}  // namespace numerics
