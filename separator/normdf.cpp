#include "normdf.h"

#include <cstddef>

#include "numerics/single.h"

namespace separator {

namespace {

using numerics::store;

constexpr int kPoints = 6;                // points of the stencil, M
constexpr int kLeftNodes = kPoints / 2 - 1;  // nodes of the stencil left of the interval, K

// Where the stencil of x starts: its first node xs and the 1-based table
// index of the interval's left node (IS), so that the stencil is the entries
// IS - K to IS - K + 5.  Every quantity is single precision and stored at
// each assignment, as the nodes of the search accumulate the rounding of h.
struct Stencil {
    float xs;
    int is;
};

Stencil locate(float x, int n, float x0, float xmax, float h) {
    const float xhi = store(static_cast<double>(xmax) - static_cast<double>(kPoints - 1) * h);

    // Interval search: the first interval [XL, XR] that holds x, so that a
    // value on an inner node belongs to the interval on its left.
    float xl = store(static_cast<double>(x0) - h);
    int i = 1;
    for (int j = 1; j <= n; ++j) {
        i = j;
        xl = store(static_cast<double>(xl) + h);
        const float xr = store(static_cast<double>(xl) + h);
        if (xl <= x && x <= xr) break;
    }

    // Two nodes left of the interval, pushed inside the table near its ends.
    Stencil s{store(static_cast<double>(xl) - static_cast<double>(kLeftNodes) * h), i};
    if (s.xs < x0) {
        s.xs = x0;
        s.is = kLeftNodes + 1;
    }
    if (s.xs > xhi) {
        s.xs = xhi;
        s.is = n - kPoints / 2;
    }
    return s;
}

// Newton's forward formula of degree M - 1 through the M values y[1..M] at
// T = (x - xs)/h, in single precision stored at each assignment.
float newton_forward(const float (&y)[kPoints + 1], float t) {
    // Forward differences in place: afterwards d[j] is the (j-1)-th forward
    // difference at the first node.
    float d[kPoints + 1];
    for (int j = 1; j <= kPoints; ++j) d[j] = y[j];
    for (int p = 1; p <= kPoints; ++p)
        for (int j = 1; j <= kPoints; ++j) {
            const int r = kPoints - j + 1;
            if (r > p) d[r] = store(static_cast<double>(d[r]) - d[r - 1]);
        }

    // P = Y1 + sum of T(T-1)...(T-i+1)/i! times the i-th difference.
    float result = y[1];
    float a = store(static_cast<double>(t) + 1.0);
    float bn = 0.0f;
    float c = 1.0f;
    for (int p = 1; p <= kPoints - 1; ++p) {
        a = store(static_cast<double>(a) - 1.0);
        bn = store(static_cast<double>(bn) + 1.0);
        c = store(static_cast<double>(c) * a / bn);
        result = store(static_cast<double>(result) + static_cast<double>(c) * d[p + 1]);
    }
    return result;
}

// The table of N entries on [x0, xmax] at step h, read at x0 <= x < xmax.
template <std::size_t N>
float interpolate(float x, const std::array<float, N>& table, float x0, float xmax, float h) {
    const Stencil s = locate(x, static_cast<int>(N), x0, xmax, h);
    float y[kPoints + 1] = {};
    for (int j = 1; j <= kPoints; ++j) y[j] = table[static_cast<std::size_t>(s.is - kLeftNodes - 1 + j - 1)];
    const float t = store((static_cast<double>(x) - s.xs) / h);
    return newton_forward(y, t);
}

constexpr float kTailBase = 1.0e-5f;

}  // namespace

float normal_lower_tail(float x) {
    if (x <= -5.0f) return kTailBase;
    return interpolate(-x, kTABT, 4.2f, 5.0f, 0.1f);
}

float normal_distribution(float x) {
    if (x <= -4.2f) return store(static_cast<double>(kTailBase) - normal_lower_tail(x));
    const bool negative = x < 0.0f;
    if (negative) x = -x;
    if (x >= 5.0f) return negative ? 0.0f : 1.0f;
    const float p = interpolate(x, kTABF, 0.0f, 5.0f, 0.2f);
    return negative ? store(1.0 - static_cast<double>(p)) : p;
}

}  // namespace separator
