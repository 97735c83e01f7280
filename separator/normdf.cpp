#include "normdf.h"

#include <cstddef>

#include "numerics/single.h"

namespace separator {

namespace {

using numerics::store;

// Newton's forward formula of degree M - 1 over M equidistant nodes of a
// table with N entries on [x0, xmax] at step h, for x0 <= x < xmax.  Every
// quantity is single precision and stored at each assignment, as the nodes of
// the search accumulate the rounding of h.
template <std::size_t N>
float interpolate(float x, const std::array<float, N>& table, float x0, float xmax, float h) {
    constexpr int n = static_cast<int>(N);
    constexpr int m = 6;          // points of the stencil
    constexpr int k = m / 2 - 1;  // nodes left of the interval
    const float xhi = store(static_cast<double>(xmax) - static_cast<double>(m - 1) * h);

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

    // Stencil start: two nodes left of the interval, pushed inside the table
    // near its ends.
    float xs = store(static_cast<double>(xl) - static_cast<double>(k) * h);
    int is = i;
    if (xs < x0) {
        xs = x0;
        is = k + 1;
    }
    if (xs > xhi) {
        xs = xhi;
        is = n - m / 2;
    }

    float y[m + 1] = {};
    float d[m + 1] = {};
    for (int j = 1; j <= m; ++j) {
        y[j] = table[static_cast<std::size_t>(is - k - 1 + j - 1)];
        d[j] = y[j];
    }
    const float t = store((static_cast<double>(x) - xs) / h);

    // Forward differences in place: afterwards d[j] is the (j-1)-th forward
    // difference at the first node.
    for (int p = 1; p <= m; ++p)
        for (int j = 1; j <= m; ++j) {
            const int r = m - j + 1;
            if (r > p) d[r] = store(static_cast<double>(d[r]) - d[r - 1]);
        }

    // P = Y1 + sum of T(T-1)...(T-i+1)/i! times the i-th difference.
    float result = y[1];
    float a = store(static_cast<double>(t) + 1.0);
    float bn = 0.0f;
    float c = 1.0f;
    for (int p = 1; p <= m - 1; ++p) {
        a = store(static_cast<double>(a) - 1.0);
        bn = store(static_cast<double>(bn) + 1.0);
        c = store(static_cast<double>(c) * a / bn);
        result = store(static_cast<double>(result) + static_cast<double>(c) * d[p + 1]);
    }
    return result;
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
