// Line plots as self-contained SVG, for the swirl command: the radial profiles
// of one chamber run and the results of a parameter sweep.
//
// A Figure is a title, one x axis shared by every panel, panels stacked top to
// bottom, and labelled vertical marker lines (characteristic radii such as R1,
// RV, RP, RK) drawn through all panels and labelled above the top one.  Each
// panel has a left y axis and, when any of its series asks for it, a right y
// axis with its own title, unit and ticks, so that quantities of different
// units (V in m/s and P in Pa) can share a panel.  Every series is drawn as a
// polyline in a colour of its own within its panel from a colour-blind-safe
// palette (the n-th series of every panel has the n-th colour); series on the
// right axis are dashed; grid lines follow the left axis (the right one when
// the left has no series).  A panel with two or more series gets a legend row
// above it.  Series with at most 30 drawable points also get point markers.
// Marker labels too close to the one on their left go up a row, and their
// lines reach up to them.  The picture's height follows from the panels.
//
//   swirl::plot::Figure f;
//   f.title = "ZARN1.DAT: radial profiles";
//   f.x = {"r", "m"};
//   f.panels.push_back({.left = {"V", "м/с"}, .right = {"P", "Pa"},
//                       .series = {{"V", r, v}, {"P", r, p, swirl::plot::Side::right}}});
//   f.panels.push_back({.left = {"U, W", "м/с"}, .series = {{"U", r, u}, {"W", r, w}}});
//   f.markers = {{0.1, "R1"}, {0.04, "RV"}};
//   std::string svg = swirl::plot::render_svg(f);   // throws PlotError
//
// Gaps.  A point is drawn only when its x and y are finite and, on a log
// axis, greater than zero.  Any other point (NaN marks an invalid case of a
// sweep) is a gap: the line is broken there, never drawn through zero.  A run
// of drawable points becomes one polyline; a lone drawable point between
// gaps is shown by its point marker.  Leading and trailing gaps just drop
// points.  The x range covers every finite x (positive on a log axis) of the
// panels and every marker, so invalid cases at the ends of a sweep show as
// empty space; a y range covers the drawable points of its axis.
//
// Ticks.  A linear axis gets 4 to 8 ticks at k·s with s one of 1, 2, 2.5, 5
// times a power of ten, from the first tick at or below the data to the
// first at or above it.  A right axis beside a linear left one gets as many
// intervals as the left, with a step of its own, so that its ticks meet the
// grid lines.  A log axis spanning a decade or more ends at the 1, 2 or 5
// times a power of ten next to its data (2e-7 to 5e-3, not 1e-7 to 1e-2); up
// to 2 decades are labelled at 1, 2 and 5 with unlabelled grid lines at the
// other digits; up to 7 at each decade with unlabelled grid lines at 2 and 5;
// beyond that every n-th decade (at multiples of n, 8 labels at most).  Data
// spanning less than a decade gets the linear ticks, placed on the log
// scale; a 0 tick is dropped and the axis then starts at the smallest value.
// A y axis draws a little more than its ticks' range (head-room of 4 % of it
// at each end), so that a curve on its first or last tick (an efficiency of
// 100 %) is not hidden by the frame.  Labels are the short decimal of each
// tick (0.3, never 0.30000000000000004) or, when the axis reaches 1e5 or a
// tick below 1e-3, compact E-notation for the whole axis: 2.5e-6, 1e5.
//
// Notes: lines under the title, in red, that say what the picture lacks (a
// profile that stops short of the wall).
//
// Texts (title, notes, axis titles, units, series names, marker labels) are UTF-8;
// they are XML-escaped, and bytes that are not valid UTF-8 or are control
// characters become U+FFFD or a blank, so the output is always well-formed.
// Numbers are written by std::to_chars, independent of the locale.
//
// Errors are thrown as PlotError: no panel; a panel without series; x and y
// of a series of different lengths; an axis with series but nothing drawable
// on it (the message names the panel and axis, and for a log axis says that
// it shows only values > 0); a range beyond 1e±290 or a width or panel height
// out of reason.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace swirl::plot {

struct Axis {
    std::string title{};  // the quantity, e.g. "V" or "ETA"
    std::string unit{};   // e.g. "м/с" or "%"; empty for none.  Shown as "V (м/с)".
    bool log = false;     // logarithmic scale
};

enum class Side { left, right };

struct Series {
    std::string name{};            // legend text
    std::vector<double> x{}, y{};  // the same length; see "Gaps" above
    Side side = Side::left;        // the y axis of the panel it is plotted against
};

struct Panel {
    Axis left{};
    Axis right{};                  // drawn only when some series is on Side::right
    std::vector<Series> series{};  // at least one
};

struct Marker {
    double x = 0;                  // a vertical line at this x through all panels
    std::string label{};           // shown above the top panel
};

struct Figure {
    std::string title{};
    Axis x{};                       // shared by all panels; tick labels under the bottom one
    std::vector<Panel> panels{};    // top to bottom, at least one
    std::vector<Marker> markers{};
    std::vector<std::string> notes{};  // lines under the title: what the picture lacks
    double width = 900;             // of the whole picture, px (300..20000)
    double panel_height = 260;      // of each plot area, px (80..20000)
};

struct PlotError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The whole SVG document, UTF-8, ending with a newline.
std::string render_svg(const Figure& figure);

// The building blocks, exposed for tests and for callers that want them.
struct Ticks {
    double lo = 0, hi = 0;        // the axis range
    std::vector<double> major{};  // labelled, with grid lines
    std::vector<double> minor{};  // unlabelled grid lines (log axes only)
};
Ticks linear_ticks(double lo, double hi);  // finite, lo <= hi (lo == hi is widened)
Ticks log_ticks(double lo, double hi);     // 0 < lo <= hi, finite
// Linear ticks over lo..hi with exactly `intervals` equal steps (1..100).
Ticks aligned_ticks(double lo, double hi, std::size_t intervals);
// The range an axis with these ticks draws: `room` of the ticks' range (of
// its decades on a log axis) beyond each end.
struct Range {
    double lo = 0, hi = 0;
};
inline constexpr double kHeadRoom = 0.04;
Range drawn_range(const Ticks& ticks, bool log, double room = kHeadRoom);
std::vector<std::string> tick_labels(const std::vector<double>& ticks);
std::string escape_xml(std::string_view text);

}  // namespace swirl::plot
