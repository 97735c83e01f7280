// SVG line plots: the SVG text of a figure laid out by svg_layout.  See
// svg_plot.h.
#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "fixrec/utf8.h"
#include "svg_layout.h"
#include "svg_plot.h"

namespace swirl::plot {
namespace {

using layout::AxisPlan;
using layout::drawable;
using layout::kLegendRow;
using layout::kTick;
using layout::Layout;
using layout::Scale;

// Okabe-Ito: told apart under the common colour-vision deficiencies.
constexpr std::array<std::string_view, 7> kPalette = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                                      "#E69F00", "#56B4E9", "#000000"};
constexpr std::size_t kMaxMarkedPoints = 30;

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

void write_head(Out& o, const Figure& f, double height) {
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
        o.text(f.width / 2, (f.title.empty() ? 14 : 40) + static_cast<double>(i) * layout::kNoteRow, "middle", "",
               f.notes[i], 0, "#b00000");
}

// A panel's grid, marker lines, ticks, axis titles and frame.
void draw_axes(Out& o, const Figure& f, const Layout& l, std::size_t p) {
    const Panel& panel = f.panels[p];
    const double x0 = l.x0, x1 = l.x1, yt = l.top[p], yb = l.top[p] + f.panel_height;
    const bool bottom = p + 1 == f.panels.size();
    const Scale xs(l.x, x0, x1);
    const AxisPlan& grid_y = l.y[p][0].used ? l.y[p][0] : l.y[p][1];
    const Scale gy(grid_y, yb, yt);
    for (double v : l.x.ticks.minor) o.line(xs(v), yt, xs(v), yb, "minor");
    for (double v : grid_y.ticks.minor) o.line(x0, gy(v), x1, gy(v), "minor");
    for (double v : l.x.ticks.major) o.line(xs(v), yt, xs(v), yb, "grid");
    for (double v : grid_y.ticks.major) o.line(x0, gy(v), x1, gy(v), "grid");
    // In the top panel a marker line reaches up to its label.
    for (const auto& m : l.marks) o.line(m.x, p ? yt : l.label_y(m) + 3, m.x, yb, "mark");

    // x ticks on every panel, labels and title under the bottom one.
    for (std::size_t i = 0; i < l.x.ticks.major.size(); ++i) {
        const double px = xs(l.x.ticks.major[i]);
        o.line(px, yb, px, yb + kTick, "tick");
        if (bottom) o.text(px, yb + kTick + 13, "middle", "", l.x.labels[i]);
    }
    if (bottom) o.text((x0 + x1) / 2, yb + 42, "middle", "axis", layout::axis_text(f.x));

    for (int side = 0; side < 2; ++side) {
        const AxisPlan& a = l.y[p][side];
        if (!a.used) continue;
        const Scale sc(a, yb, yt);
        const double edge = side ? x1 : x0, out = side ? kTick : -kTick;
        for (std::size_t i = 0; i < a.ticks.major.size(); ++i) {
            const double py = sc(a.ticks.major[i]);
            o.line(edge, py, edge + out, py, "tick");
            o.text(edge + out * 1.6, py + 4, side ? "start" : "end", "", a.labels[i]);
        }
        const double tx = side ? f.width - 16 : 18;
        const std::string_view fill = a.series_on_it == 1 ? kPalette[a.first_series % kPalette.size()] : "";
        o.text(tx, (yt + yb) / 2, "middle", "axis", layout::axis_text(side ? panel.right : panel.left),
               side ? 90 : -90, fill);
    }
    o << "<rect class=\"frame\" x=\"" << x0 << "\" y=\"" << yt << "\" width=\"" << x1 - x0
      << "\" height=\"" << f.panel_height << "\"/>\n";
}

// Series i of panel p in palette colour `colour`, and its legend entry.
void draw_series(Out& o, const Figure& f, const Layout& l, std::size_t p, std::size_t i, std::size_t colour) {
    const Series& s = f.panels[p].series[i];
    const int side = s.side == Side::right;
    const AxisPlan& a = l.y[p][side];
    const Scale xs(l.x, l.x0, l.x1);
    const Scale ys(a, l.top[p] + f.panel_height, l.top[p]);
    const std::string_view c = kPalette[colour % kPalette.size()];
    const std::string dash = side ? " stroke-dasharray=\"7 4\"" : "";
    // Runs of drawable points become polylines; a lone point only a marker.
    std::vector<std::pair<double, double>> pts, run, lone;
    auto flush = [&] {
        if (run.size() == 1) lone.push_back(run[0]);
        if (run.size() > 1) {
            o << "<polyline class=\"series\" stroke=\"" << c << "\"" << dash << " points=\"";
            for (std::size_t k = 0; k < run.size(); ++k) o << (k ? " " : "") << run[k].first << "," << run[k].second;
            o << "\"><title>" << escape_xml(s.name) << "</title></polyline>\n";
        }
        run.clear();
    };
    for (std::size_t j = 0; j < s.x.size(); ++j) {
        if (!drawable(s.x[j], f.x.log) || !drawable(s.y[j], a.log)) {
            flush();
            continue;
        }
        run.emplace_back(xs(s.x[j]), ys(s.y[j]));
        pts.push_back(run.back());
    }
    flush();
    for (const auto& [px, py] : pts.size() <= kMaxMarkedPoints ? pts : lone) o.point(colour, px, py, c);

    if (i < l.legend[p].size()) {
        const double lx = l.legend[p][i].x;
        const double ly = l.legend_top[p] + (static_cast<double>(l.legend[p][i].row) + 0.5) * kLegendRow;
        o << "<line class=\"series\" stroke=\"" << c << "\"" << dash << " x1=\"" << lx << "\" y1=\"" << ly
          << "\" x2=\"" << lx + 26 << "\" y2=\"" << ly << "\"/>\n";
        if (pts.size() <= kMaxMarkedPoints) o.point(colour, lx + 13, ly, c);
        o.text(lx + 32, ly + 4, "start", "", s.name);
    }
}

}  // namespace

std::string escape_xml(std::string_view s) {
    std::string o;
    for (std::size_t i = 0; i < s.size();) {
        const fixrec::utf8::Decoded d = fixrec::utf8::decode(s, i);
        // U+FFFE and U+FFFF are no characters of XML.
        if (d.fault != fixrec::utf8::Fault::None || d.cp == 0xFFFE || d.cp == 0xFFFF) {
            o += "\xEF\xBF\xBD";  // U+FFFD; resynchronise at the next byte
            ++i;
            continue;
        }
        switch (d.cp) {
            case '&': o += "&amp;"; break;
            case '<': o += "&lt;"; break;
            case '>': o += "&gt;"; break;
            case '"': o += "&quot;"; break;
            case '\'': o += "&apos;"; break;
            default: o += d.cp < 0x20 ? std::string_view(" ") : s.substr(i, d.length);
        }
        i += d.length;
    }
    return o;
}

std::string render_svg(const Figure& f) {
    const Layout l = layout::plan(f);
    Out o;
    write_head(o, f, l.height);
    for (std::size_t p = 0; p < f.panels.size(); ++p) {
        o << "<g class=\"panel\">\n";
        draw_axes(o, f, l, p);
        // Colours start again in each panel: the n-th curves of the panels
        // (one case of a sweep in each) have one colour.
        for (std::size_t i = 0; i < f.panels[p].series.size(); ++i) draw_series(o, f, l, p, i, i);
        o << "</g>\n";
    }
    // Last, so that a white halo hides the lines of other markers behind a label.
    for (const auto& m : l.marks) o.text(m.x, l.label_y(m), "middle", "mlabel", m.marker->label);
    o << "</svg>\n";
    return o.s;
}

}  // namespace swirl::plot
