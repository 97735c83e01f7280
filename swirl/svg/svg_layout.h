// Where everything of a figure goes: the axes with their ticks, the plot
// area's edges, the rows of marker labels, the legend entries and the top of
// each panel.  The drawing (svg_plot.cpp) only writes what this decides.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "svg_plot.h"

namespace swirl::plot::layout {

inline constexpr double kFont = 12;       // tick labels, legend, marker labels (px)
inline constexpr double kLegendRow = 20;  // height of one legend row
inline constexpr double kMarkerRow = 16;  // height of one row of marker labels
inline constexpr double kNoteRow = 16;    // height of one line of notes under the title
inline constexpr double kPanelGap = 18;   // between one plot area and the next panel
inline constexpr double kTick = 5;        // tick mark length

// Width of a text, estimated from its code points and an average advance.
double text_width(std::string_view s, double font = kFont);

// "V (м/с)", or the title alone without a unit.
std::string axis_text(const Axis& a);

// Whether a value can be placed on an axis: finite, and above 0 on a log one.
inline bool drawable(double v, bool log) { return std::isfinite(v) && (!log || v > 0); }

// An axis as drawn: its ticks, their labels and the range from one edge of
// the plot area to the other.
struct AxisPlan {
    bool used = false;
    bool log = false;
    Ticks ticks{};
    Range range{};
    std::vector<std::string> labels{};
    double label_width = 0;
    std::size_t series_on_it = 0, first_series = 0;  // for the colour of its title (the panel's n-th series)
};

// Value to pixel along one axis.
struct Scale {
    double lo, hi, p0, p1;
    bool log;
    Scale(const AxisPlan& a, double from, double to)
        : lo(a.range.lo), hi(a.range.hi), p0(from), p1(to), log(a.log) {}
    double operator()(double v) const {
        auto f = [this](double a) { return log ? std::log10(a) : a; };
        return p0 + (f(v) - f(lo)) / (f(hi) - f(lo)) * (p1 - p0);
    }
};

struct LegendEntry {
    double x = 0;
    std::size_t row = 0;
};

struct MarkerPlace {
    double x = 0;              // px
    const Marker* marker = nullptr;
    std::size_t row = 0;       // 0 just above the top panel, then upwards
};

struct Layout {
    AxisPlan x{};
    std::vector<std::array<AxisPlan, 2>> y{};  // per panel: left, right
    double x0 = 0, x1 = 0;                     // the plot areas' left and right edges
    std::vector<MarkerPlace> marks{};          // by x
    std::size_t marker_rows = 0;
    std::vector<std::vector<LegendEntry>> legend{};  // per panel, per series (none for one series)
    std::vector<double> legend_top{}, top{};         // per panel
    double height = 0;
    // The baseline of a marker's label.
    double label_y(const MarkerPlace& m) const { return top[0] - 6 - static_cast<double>(m.row) * kMarkerRow; }
};

// The layout of a figure; PlotError for one that cannot be drawn (see
// svg_plot.h).
Layout plan(const Figure& f);

}  // namespace swirl::plot::layout
