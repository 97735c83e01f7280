// SVG line plots: tick choice, layout and the SVG text.  See svg_plot.h.
#include "svg_plot.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace swirl::plot {
namespace {

// Okabe-Ito: told apart under the common colour-vision deficiencies.
constexpr std::array<std::string_view, 7> kPalette = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                                      "#E69F00", "#56B4E9", "#000000"};
constexpr std::size_t kMaxMarkedPoints = 30;
constexpr double kFont = 12;         // tick labels, legend, marker labels (px)
constexpr double kLegendRow = 20;    // height of one legend row
constexpr double kMarkerRow = 16;    // height of one row of marker labels
constexpr double kNoteRow = 16;      // height of one line of notes under the title
constexpr double kPanelGap = 18;     // between one plot area and the next panel
constexpr double kTick = 5;          // tick mark length
constexpr double kInf = std::numeric_limits<double>::infinity();

// n·10^e as the nearest double.  from_chars rounds correctly, so a tick built
// this way prints back, shortest, as the short decimal it stands for.
double decimal(long long n, int e) {
    const std::string text = std::to_string(n) + "e" + std::to_string(e);  // integers: no locale
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// Width of a text, estimated from its code points and an average advance.
double text_width(std::string_view s, double font = kFont) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return static_cast<double>(n) * 0.6 * font;
}

std::string axis_text(const Axis& a) { return a.unit.empty() ? a.title : a.title + " (" + a.unit + ")"; }

bool drawable(double v, bool log) { return std::isfinite(v) && (!log || v > 0); }

// The SVG text; doubles go out as coordinates with at most two decimals.
struct Out {
    std::string s;
    Out& operator<<(std::string_view t) { s += t; return *this; }
    Out& operator<<(double v) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
        std::string_view t(buf, static_cast<std::size_t>(r.ptr - buf));
        while (t.back() == '0') t.remove_suffix(1);
        if (t.back() == '.') t.remove_suffix(1);
        s += t == "-0" ? "0" : t;
        return *this;
    }
    void line(double x1, double y1, double x2, double y2, std::string_view cls) {
        *this << "<line class=\"" << cls << "\" x1=\"" << x1 << "\" y1=\"" << y1 << "\" x2=\"" << x2
              << "\" y2=\"" << y2 << "\"/>\n";
    }
    void text(double x, double y, std::string_view anchor, std::string_view cls, std::string_view body,
              double rotate = 0, std::string_view fill = {}) {
        *this << "<text x=\"" << x << "\" y=\"" << y << "\" text-anchor=\"" << anchor << "\"";
        if (!cls.empty()) *this << " class=\"" << cls << "\"";
        if (!fill.empty()) *this << " style=\"fill:" << fill << "\"";  // over the style sheet
        if (rotate != 0) *this << " transform=\"rotate(" << rotate << " " << x << " " << y << ")\"";
        *this << ">" << escape_xml(body) << "</text>\n";
    }
    // A point marker: circle, square, diamond or triangle by series.
    void point(std::size_t shape, double x, double y, std::string_view colour) {
        constexpr double r = 3.2, d = 1.35 * r;
        if (shape % 4 == 0) {
            *this << "<circle class=\"pt\" cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << r;
        } else if (shape % 4 == 1) {
            *this << "<rect class=\"pt\" x=\"" << x - r << "\" y=\"" << y - r << "\" width=\"" << 2 * r
                  << "\" height=\"" << 2 * r;
        } else {
            bool diamond = shape % 4 == 2;
            *this << "<polygon class=\"pt\" points=\"" << x << "," << y - d << " " << x + d << ","
                  << y + (diamond ? 0 : 0.7 * d) << " " << (diamond ? x : x - d) << ","
                  << y + (diamond ? d : 0.7 * d);
            if (diamond) *this << " " << x - d << "," << y;
        }
        *this << "\" fill=\"" << colour << "\"/>\n";
    }
};

struct Scale {
    double lo, hi, p0, p1;
    bool log;
    double operator()(double v) const {
        auto f = [this](double a) { return log ? std::log10(a) : a; };
        return p0 + (f(v) - f(lo)) / (f(hi) - f(lo)) * (p1 - p0);
    }
};

struct AxisPlan {
    bool used = false;
    bool log = false;
    Ticks ticks;
    std::vector<std::string> labels;
    double label_width = 0;
    std::size_t series_on_it = 0, first_series = 0;  // for the colour of its title
};

AxisPlan plan_axis(double lo, double hi, bool log) {
    AxisPlan a;
    a.used = true;
    a.log = log;
    a.ticks = log ? log_ticks(lo, hi) : linear_ticks(lo, hi);
    a.labels = tick_labels(a.ticks.major);
    for (const auto& l : a.labels) a.label_width = std::max(a.label_width, text_width(l));
    return a;
}

[[noreturn]] void nothing_to_plot(const std::string& where, const Axis& a) {
    throw PlotError(where + " \"" + axis_text(a) + "\": no value to plot" +
                    (a.log ? " (a log axis shows only values > 0)" : ""));
}

}  // namespace

Ticks linear_ticks(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) throw PlotError("axis range is not finite");
    if (lo == hi) {
        double d = lo == 0 ? 1 : std::abs(lo) * 0.1;
        lo -= d;
        hi += d;
    }
    if (!(hi - lo > 1e-290 && hi - lo < 1e290)) throw PlotError("axis range is too wide or too narrow to draw");
    // Starting at a tenth of the span there are always too many intervals; the
    // first step of 1, 2, 2.5, 5 × 10^k with at most 7 is the one, and it
    // leaves at least 3, since each step is at most twice the one before.
    for (int k = static_cast<int>(std::floor(std::log10(hi - lo))) - 1;; ++k) {
        for (int m : {1, 2, 25, 5}) {
            int e = m == 25 ? k - 1 : k;
            double step = decimal(m, e);
            double i0 = std::floor(lo / step + 1e-9), i1 = std::ceil(hi / step - 1e-9);
            if (i1 - i0 > 7) continue;
            Ticks t;
            for (double i = i0; i <= i1; ++i) t.major.push_back(decimal(static_cast<long long>(i) * m, e));
            t.lo = t.major.front();
            t.hi = t.major.back();
            return t;
        }
    }
}

Ticks log_ticks(double lo, double hi) {
    if (!(lo > 0) || !std::isfinite(hi) || lo > hi) throw PlotError("log axis range must be positive");
    if (!(lo > 1e-290 && hi < 1e290)) throw PlotError("log axis range is too wide to draw");
    if (hi < 10 * lo) {  // less than a decade: linear ticks on the log scale
        Ticks t = linear_ticks(lo, hi);
        if (t.lo <= 0) {
            std::erase_if(t.major, [](double v) { return v <= 0; });
            t.lo = lo;
        }
        return t;
    }
    int d0 = static_cast<int>(std::floor(std::log10(lo))), d1 = static_cast<int>(std::ceil(std::log10(hi)));
    while (decimal(1, d0) > lo) --d0;  // log10 may be off by one ulp at a power of ten
    while (decimal(1, d0 + 1) <= lo) ++d0;
    while (decimal(1, d1) < hi) ++d1;
    while (decimal(1, d1 - 1) >= hi) --d1;
    const int n = d1 - d0;
    auto floor_div = [](int a, int b) { return a / b - (a % b < 0); };
    int every = 1;  // label every n-th decade, at multiples of n, 8 labels at most
    while (-floor_div(-d1, every) - floor_div(d0, every) > 7) ++every;
    d0 = floor_div(d0, every) * every;
    d1 = -floor_div(-d1, every) * every;
    Ticks t{decimal(1, d0), decimal(1, d1), {}, {}};
    for (int d = d0; d <= d1; ++d) {
        (d % every == 0 ? t.major : t.minor).push_back(decimal(1, d));
        if (d == d1 || every > 1) continue;
        for (int m = 2; m < 10; ++m) {  // 2 and 5; over one or two decades every digit
            if (m == 2 || m == 5) (n <= 2 ? t.major : t.minor).push_back(decimal(m, d));
            else if (n <= 2) t.minor.push_back(decimal(m, d));
        }
    }
    return t;
}

std::vector<std::string> tick_labels(const std::vector<double>& ticks) {
    double big = 0, small = kInf;
    for (double v : ticks) {
        if (v != 0) {
            big = std::max(big, std::abs(v));
            small = std::min(small, std::abs(v));
        }
    }
    const bool sci = big >= 1e5 || small < 1e-3;
    std::vector<std::string> out;
    for (double v : ticks) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v == 0 ? 0.0 : v,
                               sci ? std::chars_format::scientific : std::chars_format::fixed);
        std::string s(buf, r.ptr);
        if (auto e = s.find('e'); e != std::string::npos) {  // 2.5e-06 -> 2.5e-6, 1e+00 -> 1
            std::string mant = s.substr(0, e), exp = s.substr(e + 1);
            bool neg = exp[0] == '-';
            exp.erase(0, exp.find_first_not_of("+-0"));
            s = exp.empty() ? mant : mant + "e" + (neg ? "-" : "") + exp;
        }
        out.push_back(s);
    }
    return out;
}

std::string escape_xml(std::string_view s) {
    std::string o;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : c >> 5 == 6 ? 2 : c >> 4 == 14 ? 3 : c >> 3 == 30 ? 4 : 0;
        char32_t cp = len == 1 ? c : len == 2 ? c & 0x1Fu : len == 3 ? c & 0x0Fu : c & 0x07u;
        bool ok = len > 0 && i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            ok = (d & 0xC0) == 0x80;
            cp = cp << 6 | (d & 0x3Fu);
        }
        constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};  // overlong forms are invalid
        ok = ok && cp >= kShortest[len] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF) && cp != 0xFFFE &&
             cp != 0xFFFF;
        if (!ok) {
            o += "\xEF\xBF\xBD";  // U+FFFD; resynchronise at the next byte
            ++i;
            continue;
        }
        switch (cp) {
            case '&': o += "&amp;"; break;
            case '<': o += "&lt;"; break;
            case '>': o += "&gt;"; break;
            case '"': o += "&quot;"; break;
            case '\'': o += "&apos;"; break;
            default: o += cp < 0x20 ? std::string_view(" ") : s.substr(i, len);
        }
        i += len;
    }
    return o;
}

std::string render_svg(const Figure& f) {
    if (f.panels.empty()) throw PlotError("a figure needs at least one panel");
    if (!(f.width >= 300 && f.width <= 20000 && f.panel_height >= 80 && f.panel_height <= 20000))
        throw PlotError("figure width must be 300..20000 px and panel height 80..20000 px");
    const bool xlog = f.x.log;

    // The axes: the shared x range, then each panel's left and right y range.
    double xlo = kInf, xhi = -kInf;
    auto extend = [](double& lo, double& hi, double v) { lo = std::min(lo, v), hi = std::max(hi, v); };
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        if (f.panels[p].series.empty()) throw PlotError("panel " + std::to_string(p + 1) + " has no series");
        for (const auto& s : f.panels[p].series) {
            if (s.x.size() != s.y.size())
                throw PlotError("series \"" + s.name + "\": x and y differ in length");
            for (double v : s.x) if (drawable(v, xlog)) extend(xlo, xhi, v);
        }
    }
    for (const auto& m : f.markers) if (drawable(m.x, xlog)) extend(xlo, xhi, m.x);
    if (xlo > xhi) nothing_to_plot("x axis", f.x);
    const AxisPlan xa = plan_axis(xlo, xhi, xlog);

    std::vector<std::array<AxisPlan, 2>> ya(f.panels.size());
    std::size_t colour = 0;
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        const Panel& panel = f.panels[p];
        for (int side = 0; side < 2; ++side) {
            const Axis& axis = side == 0 ? panel.left : panel.right;
            double lo = kInf, hi = -kInf;
            std::size_t count = 0, first = 0;
            for (std::size_t i = 0; i < panel.series.size(); ++i) {
                const Series& s = panel.series[i];
                if ((s.side == Side::right) != (side == 1)) continue;
                if (count++ == 0) first = colour + i;
                for (std::size_t j = 0; j < s.x.size(); ++j)
                    if (drawable(s.x[j], xlog) && drawable(s.y[j], axis.log)) extend(lo, hi, s.y[j]);
            }
            if (count == 0) continue;
            if (lo > hi)
                nothing_to_plot("panel " + std::to_string(p + 1) + (side ? ", right axis" : ", left axis"), axis);
            ya[p][side] = plan_axis(lo, hi, axis.log);
            ya[p][side].series_on_it = count;
            ya[p][side].first_series = first;
        }
        colour += panel.series.size();
    }

    // Horizontal layout: room for the rotated axis titles and the tick labels.
    double left_labels = 0, right_labels = 0;
    for (const auto& a : ya) {
        left_labels = std::max(left_labels, a[0].label_width);
        right_labels = std::max(right_labels, a[1].used ? a[1].label_width : 0);
    }
    const double x0 = 30 + left_labels + kTick + 6;
    const double x1 = f.width - (right_labels > 0 ? 30 + right_labels + kTick + 6
                                                  : std::max(20.0, text_width(xa.labels.back()) / 2 + 6));
    const Scale xs{xa.ticks.lo, xa.ticks.hi, x0, x1, xlog};

    // Marker labels above the top panel, centred on their lines; a label that
    // would overlap one to its left goes one row up.
    std::vector<std::pair<double, const Marker*>> marks;
    for (const auto& m : f.markers) if (drawable(m.x, xlog)) marks.emplace_back(xs(m.x), &m);
    std::sort(marks.begin(), marks.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<double> row_end;
    std::vector<std::size_t> mark_row;
    for (const auto& [px, m] : marks) {
        const double w = text_width(m->label);
        std::size_t r = 0;
        while (r < row_end.size() && row_end[r] + 6 > px - w / 2) ++r;
        if (r == row_end.size()) row_end.push_back(0);
        row_end[r] = px + w / 2;
        mark_row.push_back(r);
    }

    // Legend entries: sample line, name; rows wrap at the plot width.
    struct Entry { double x; std::size_t row; };
    std::vector<std::vector<Entry>> legend(f.panels.size());
    std::vector<std::size_t> legend_rows(f.panels.size(), 0);
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        if (f.panels[p].series.size() < 2) continue;
        double x = x0;
        std::size_t row = 0;
        for (const auto& s : f.panels[p].series) {
            const double w = 32 + text_width(s.name) + 18;
            if (x > x0 && x + w > x1) x = x0, ++row;
            legend[p].push_back({x, row});
            x += w;
        }
        legend_rows[p] = row + 1;
    }

    // Vertical layout.
    double y = (f.title.empty() ? 10 : 36) + static_cast<double>(f.notes.size()) * kNoteRow;
    std::vector<double> top(f.panels.size()), legend_top(f.panels.size());
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        y += p ? kPanelGap : 0;
        legend_top[p] = y;
        y += static_cast<double>(legend_rows[p]) * kLegendRow;
        if (p == 0) y += static_cast<double>(row_end.size()) * kMarkerRow + (row_end.empty() ? 0 : 4);
        top[p] = y;
        y += f.panel_height;
    }
    const double height = y + 50;
    auto label_y = [&](std::size_t i) { return top[0] - 6 - static_cast<double>(mark_row[i]) * kMarkerRow; };

    Out o;
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << f.width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << f.width << " " << height << "\">\n"
      << "<style>text{font-family:'DejaVu Sans',Arial,Helvetica,sans-serif;font-size:12px;fill:#222}"
         ".title{font-size:15px;font-weight:bold}.axis{font-size:13px}"
         ".grid{stroke:#e2e2e2;stroke-width:1}.minor{stroke:#f2f2f2;stroke-width:1}"
         ".frame{fill:none;stroke:#555;stroke-width:1}.tick{stroke:#555;stroke-width:1}"
         ".mark{stroke:#777;stroke-width:1;stroke-dasharray:5 3}"
         ".mlabel{paint-order:stroke;stroke:#fff;stroke-width:4px;stroke-linejoin:round}"
         ".series{fill:none;stroke-width:1.8;stroke-linejoin:round;stroke-linecap:round}</style>\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    if (!f.title.empty()) o.text(f.width / 2, 24, "middle", "title", f.title);
    for (std::size_t i = 0; i < f.notes.size(); ++i)
        o.text(f.width / 2, (f.title.empty() ? 14 : 40) + static_cast<double>(i) * kNoteRow, "middle", "",
               f.notes[i], 0, "#b00000");

    colour = 0;
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        const Panel& panel = f.panels[p];
        const double yt = top[p], yb = top[p] + f.panel_height;
        const bool bottom = p + 1 == f.panels.size();
        const AxisPlan& grid_y = ya[p][0].used ? ya[p][0] : ya[p][1];
        const Scale gy{grid_y.ticks.lo, grid_y.ticks.hi, yb, yt, grid_y.log};
        o << "<g class=\"panel\">\n";
        for (double v : xa.ticks.minor) o.line(xs(v), yt, xs(v), yb, "minor");
        for (double v : grid_y.ticks.minor) o.line(x0, gy(v), x1, gy(v), "minor");
        for (double v : xa.ticks.major) o.line(xs(v), yt, xs(v), yb, "grid");
        for (double v : grid_y.ticks.major) o.line(x0, gy(v), x1, gy(v), "grid");
        // In the top panel a marker line reaches up to its label.
        for (std::size_t i = 0; i < marks.size(); ++i)
            o.line(marks[i].first, p ? yt : label_y(i) + 3, marks[i].first, yb, "mark");

        // x ticks on every panel, labels and title under the bottom one.
        for (std::size_t i = 0; i < xa.ticks.major.size(); ++i) {
            const double px = xs(xa.ticks.major[i]);
            o.line(px, yb, px, yb + kTick, "tick");
            if (bottom) o.text(px, yb + kTick + 13, "middle", "", xa.labels[i]);
        }
        if (bottom) o.text((x0 + x1) / 2, yb + 42, "middle", "axis", axis_text(f.x));

        for (int side = 0; side < 2; ++side) {
            const AxisPlan& a = ya[p][side];
            if (!a.used) continue;
            const Scale sc{a.ticks.lo, a.ticks.hi, yb, yt, a.log};
            const double edge = side ? x1 : x0, out = side ? kTick : -kTick;
            for (std::size_t i = 0; i < a.ticks.major.size(); ++i) {
                const double py = sc(a.ticks.major[i]);
                o.line(edge, py, edge + out, py, "tick");
                o.text(edge + out * 1.6, py + 4, side ? "start" : "end", "", a.labels[i]);
            }
            const double tx = side ? f.width - 16 : 18;
            const std::string_view fill = a.series_on_it == 1 ? kPalette[a.first_series % kPalette.size()] : "";
            o.text(tx, (yt + yb) / 2, "middle", "axis", axis_text(side ? panel.right : panel.left),
                   side ? 90 : -90, fill);
        }
        o << "<rect class=\"frame\" x=\"" << x0 << "\" y=\"" << yt << "\" width=\"" << x1 - x0
          << "\" height=\"" << f.panel_height << "\"/>\n";

        for (std::size_t i = 0; i < panel.series.size(); ++i, ++colour) {
            const Series& s = panel.series[i];
            const int side = s.side == Side::right;
            const AxisPlan& a = ya[p][side];
            const Scale ys{a.ticks.lo, a.ticks.hi, yb, yt, a.log};
            const std::string_view c = kPalette[colour % kPalette.size()];
            const std::string dash = side ? " stroke-dasharray=\"7 4\"" : "";
            // Runs of drawable points become polylines; a lone point only a marker.
            std::vector<std::pair<double, double>> pts, run, lone;
            auto flush = [&] {
                if (run.size() == 1) lone.push_back(run[0]);
                if (run.size() > 1) {
                    o << "<polyline class=\"series\" stroke=\"" << c << "\"" << dash << " points=\"";
                    for (std::size_t k = 0; k < run.size(); ++k)
                        o << (k ? " " : "") << run[k].first << "," << run[k].second;
                    o << "\"><title>" << escape_xml(s.name) << "</title></polyline>\n";
                }
                run.clear();
            };
            for (std::size_t j = 0; j < s.x.size(); ++j) {
                if (!drawable(s.x[j], xlog) || !drawable(s.y[j], a.log)) {
                    flush();
                    continue;
                }
                run.emplace_back(xs(s.x[j]), ys(s.y[j]));
                pts.push_back(run.back());
            }
            flush();
            for (const auto& [px, py] : pts.size() <= kMaxMarkedPoints ? pts : lone) o.point(colour, px, py, c);

            if (i < legend[p].size()) {
                const double lx = legend[p][i].x;
                const double ly = legend_top[p] + (static_cast<double>(legend[p][i].row) + 0.5) * kLegendRow;
                o << "<line class=\"series\" stroke=\"" << c << "\"" << dash << " x1=\"" << lx << "\" y1=\"" << ly
                  << "\" x2=\"" << lx + 26 << "\" y2=\"" << ly << "\"/>\n";
                if (pts.size() <= kMaxMarkedPoints) o.point(colour, lx + 13, ly, c);
                o.text(lx + 32, ly + 4, "start", "", s.name);
            }
        }
        o << "</g>\n";
    }
    // Last, so that a white halo hides the lines of other markers behind a label.
    for (std::size_t i = 0; i < marks.size(); ++i)
        o.text(marks[i].first, label_y(i), "middle", "mlabel", marks[i].second->label);
    o << "</svg>\n";
    return o.s;
}

}  // namespace swirl::plot
