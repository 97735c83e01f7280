#include "svg_layout.h"

#include <algorithm>
#include <limits>

#include "fixrec/utf8.h"

namespace swirl::plot::layout {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

void extend(double& lo, double& hi, double v) { lo = std::min(lo, v), hi = std::max(hi, v); }

AxisPlan plan_axis(Ticks ticks, bool log, bool room) {
    AxisPlan a;
    a.used = true;
    a.log = log;
    a.ticks = std::move(ticks);
    a.range = room ? drawn_range(a.ticks, log) : Range{a.ticks.lo, a.ticks.hi};
    a.labels = tick_labels(a.ticks.major);
    for (const auto& l : a.labels) a.label_width = std::max(a.label_width, text_width(l));
    return a;
}

[[noreturn]] void nothing_to_plot(const std::string& where, const Axis& a) {
    throw PlotError(where + " \"" + axis_text(a) + "\": no value to plot" +
                    (a.log ? " (a log axis shows only values > 0)" : ""));
}

// The shared x axis: every drawable x of the series and every marker.
AxisPlan plan_x(const Figure& f) {
    double lo = kInf, hi = -kInf;
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        if (f.panels[p].series.empty()) throw PlotError("panel " + std::to_string(p + 1) + " has no series");
        for (const auto& s : f.panels[p].series) {
            if (s.x.size() != s.y.size()) throw PlotError("series \"" + s.name + "\": x and y differ in length");
            for (double v : s.x)
                if (drawable(v, f.x.log)) extend(lo, hi, v);
        }
    }
    for (const auto& m : f.markers)
        if (drawable(m.x, f.x.log)) extend(lo, hi, m.x);
    if (lo > hi) nothing_to_plot("x axis", f.x);
    return plan_axis(f.x.log ? log_ticks(lo, hi) : linear_ticks(lo, hi), f.x.log, false);
}

// A panel's left and right y axes; a linear right axis beside a linear left
// one takes the left one's number of intervals, so that its ticks meet the
// grid lines.
std::array<AxisPlan, 2> plan_y(const Panel& panel, std::size_t p, bool xlog) {
    std::array<AxisPlan, 2> axes;
    for (int side = 0; side < 2; ++side) {
        const Axis& axis = side == 0 ? panel.left : panel.right;
        double lo = kInf, hi = -kInf;
        std::size_t count = 0, first = 0;
        for (std::size_t i = 0; i < panel.series.size(); ++i) {
            const Series& s = panel.series[i];
            if ((s.side == Side::right) != (side == 1)) continue;
            if (count++ == 0) first = i;
            for (std::size_t j = 0; j < s.x.size(); ++j)
                if (drawable(s.x[j], xlog) && drawable(s.y[j], axis.log)) extend(lo, hi, s.y[j]);
        }
        if (count == 0) continue;
        if (lo > hi) nothing_to_plot("panel " + std::to_string(p + 1) + (side ? ", right axis" : ", left axis"), axis);
        const AxisPlan& left = axes[0];
        const bool align = side == 1 && left.used && !left.log && !axis.log && left.ticks.major.size() > 1;
        axes[side] = plan_axis(align    ? aligned_ticks(lo, hi, left.ticks.major.size() - 1)
                               : axis.log ? log_ticks(lo, hi)
                                          : linear_ticks(lo, hi),
                               axis.log, true);
        axes[side].series_on_it = count;
        axes[side].first_series = first;
    }
    return axes;
}

// Marker labels above the top panel, centred on their lines; a label that
// would overlap one to its left goes one row up.
void place_markers(const Figure& f, Layout& l) {
    const Scale xs(l.x, l.x0, l.x1);
    for (const auto& m : f.markers)
        if (drawable(m.x, f.x.log)) l.marks.push_back({xs(m.x), &m, 0});
    std::sort(l.marks.begin(), l.marks.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
    std::vector<double> row_end;
    for (MarkerPlace& m : l.marks) {
        const double w = text_width(m.marker->label);
        std::size_t r = 0;
        while (r < row_end.size() && row_end[r] + 6 > m.x - w / 2) ++r;
        if (r == row_end.size()) row_end.push_back(0);
        row_end[r] = m.x + w / 2;
        m.row = r;
    }
    l.marker_rows = row_end.size();
}

// Legend entries (sample line, name) of panels of two or more series; rows
// wrap at the plot width.  The number of rows of each panel.
std::vector<std::size_t> place_legends(const Figure& f, Layout& l) {
    l.legend.assign(f.panels.size(), {});
    std::vector<std::size_t> rows(f.panels.size(), 0);
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        if (f.panels[p].series.size() < 2) continue;
        double x = l.x0;
        std::size_t row = 0;
        for (const auto& s : f.panels[p].series) {
            const double w = 32 + text_width(s.name) + 18;
            if (x > l.x0 && x + w > l.x1) x = l.x0, ++row;
            l.legend[p].push_back({x, row});
            x += w;
        }
        rows[p] = row + 1;
    }
    return rows;
}

}  // namespace

// Counted as escape_xml() shows the text: a byte that is not UTF-8 as one
// U+FFFD.
double text_width(std::string_view s, double font) {
    return static_cast<double>(fixrec::utf8::count_shown(s)) * 0.6 * font;
}

std::string axis_text(const Axis& a) { return a.unit.empty() ? a.title : a.title + " (" + a.unit + ")"; }

Layout plan(const Figure& f) {
    if (f.panels.empty()) throw PlotError("a figure needs at least one panel");
    if (!(f.width >= 300 && f.width <= 20000 && f.panel_height >= 80 && f.panel_height <= 20000))
        throw PlotError("figure width must be 300..20000 px and panel height 80..20000 px");
    Layout l;
    l.x = plan_x(f);
    for (std::size_t p = 0; p < f.panels.size(); ++p) l.y.push_back(plan_y(f.panels[p], p, f.x.log));

    // Horizontal: room for the rotated axis titles and the tick labels.
    double left_labels = 0, right_labels = 0;
    for (const auto& a : l.y) {
        left_labels = std::max(left_labels, a[0].label_width);
        right_labels = std::max(right_labels, a[1].used ? a[1].label_width : 0);
    }
    l.x0 = 30 + left_labels + kTick + 6;
    l.x1 = f.width - (right_labels > 0 ? 30 + right_labels + kTick + 6
                                       : std::max(20.0, text_width(l.x.labels.back()) / 2 + 6));
    place_markers(f, l);
    const std::vector<std::size_t> legend_rows = place_legends(f, l);

    // Vertical: title, then each panel's legend and plot area.
    double y = (f.title.empty() ? 10 : 36) + static_cast<double>(f.notes.size()) * kNoteRow;
    l.top.resize(f.panels.size());
    l.legend_top.resize(f.panels.size());
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        y += p ? kPanelGap : 0;
        l.legend_top[p] = y;
        y += static_cast<double>(legend_rows[p]) * kLegendRow;
        if (p == 0) y += static_cast<double>(l.marker_rows) * kMarkerRow + (l.marker_rows == 0 ? 0 : 4);
        l.top[p] = y;
        y += f.panel_height;
    }
    l.height = y + 50;
    return l;
}

}  // namespace swirl::plot::layout
