// The SVG plot module: the ticks and labels an axis gets, the gaps a series
// leaves, the escaping of texts, the errors, and whole documents checked as
// XML (by xmllint) and by their elements.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "swirl/svg/svg_plot.h"
#include "well_formed_xml.h"

namespace swirl::plot {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto i = s.find(what); i != std::string::npos; i = s.find(what, i + 1)) ++n;
    return n;
}

// Number of points of each data polyline, in document order.
std::vector<std::size_t> polyline_points(const std::string& svg) {
    std::vector<std::size_t> out;
    for (auto i = svg.find("<polyline"); i != std::string::npos; i = svg.find("<polyline", i + 1)) {
        const auto b = svg.find("points=\"", i) + 8;
        out.push_back(count(svg.substr(b, svg.find('"', b) - b), " ") + 1);
    }
    return out;
}

void expect_well_formed(const std::string& svg) {
    const auto path = std::filesystem::path(::testing::TempDir()) /
                      (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".svg");
    std::ofstream(path, std::ios::binary) << svg;
    test_support::expect_well_formed_xml(path);
    std::filesystem::remove(path);
}

struct TickCase {
    double lo, hi;
    bool log;
    double axis_lo, axis_hi;
    std::vector<std::string> labels;
    std::size_t minor;
};

TEST(SvgTicks, NiceValuesAndLabels) {
    const TickCase cases[] = {
        {0.03, 0.1, false, 0.03, 0.1, {"0.03", "0.04", "0.05", "0.06", "0.07", "0.08", "0.09", "0.1"}, 0},
        {-3000, 2000, false, -3000, 2000, {"-3000", "-2000", "-1000", "0", "1000", "2000"}, 0},
        {0, 0.3, false, 0, 0.3, {"0", "0.05", "0.1", "0.15", "0.2", "0.25", "0.3"}, 0},
        {0, 17, false, 0, 17.5, {"0", "2.5", "5", "7.5", "10", "12.5", "15", "17.5"}, 0},
        {-0.7, -0.2, false, -0.7, -0.2, {"-0.7", "-0.6", "-0.5", "-0.4", "-0.3", "-0.2"}, 0},
        {1.3e-6, 9.1e-6, false, 0, 1e-5, {"0", "2e-6", "4e-6", "6e-6", "8e-6", "1e-5"}, 0},
        {12345, 123456, false, 0, 1.4e5, {"0", "2e4", "4e4", "6e4", "8e4", "1e5", "1.2e5", "1.4e5"}, 0},
        {0, 0, false, -1, 1, {"-1", "-0.5", "0", "0.5", "1"}, 0},
        {5, 5, false, 4.4, 5.6, {"4.4", "4.6", "4.8", "5", "5.2", "5.4", "5.6"}, 0},
        {1e-6, 1e-4, true, 1e-6, 1e-4, {"1e-6", "2e-6", "5e-6", "1e-5", "2e-5", "5e-5", "1e-4"}, 12},
        // A log axis ends at the 1, 2 or 5 next to the data, not at the next decade.
        {3e-7, 2e-3, true, 2e-7, 2e-3, {"1e-6", "1e-5", "1e-4", "1e-3"}, 9},
        {0.037, 3.4, true, 0.02, 5, {"0.1", "1"}, 6},
        {0.01, 999, true, 0.01, 1000, {"0.01", "0.1", "1", "10", "100", "1000"}, 10},
        {1, 1e20, true, 1, 1e20, {"1", "1e3", "1e6", "1e9", "1e12", "1e15", "1e18"}, 14},
        {20, 80, true, 20, 80, {"20", "30", "40", "50", "60", "70", "80"}, 0},
        {1, 9.5, true, 1, 10, {"2", "4", "6", "8", "10"}, 0},  // the 0 tick dropped, axis from the data
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << (c.log ? " log" : ""));
        const Ticks t = c.log ? log_ticks(c.lo, c.hi) : linear_ticks(c.lo, c.hi);
        EXPECT_EQ(tick_labels(t.major), c.labels);
        EXPECT_EQ(t.lo, c.axis_lo);
        EXPECT_EQ(t.hi, c.axis_hi);
        EXPECT_EQ(t.minor.size(), c.minor);
    }
}

// A right axis beside a left one of n intervals: n intervals of a nice step
// of its own, covering its data, on the data's side of 0 when of one sign.
TEST(SvgTicks, RightAxisMeetsTheGridLines) {
    const struct {
        double lo, hi;
        std::size_t intervals;
        std::vector<std::string> labels;
    } cases[] = {
        {-3900, 5900, 7, {"-6000", "-4000", "-2000", "0", "2000", "4000", "6000", "8000"}},
        {-40, 40, 5, {"-60", "-40", "-20", "0", "20", "40"}},
        {0, 100, 7, {"0", "20", "40", "60", "80", "100", "120", "140"}},     // not below 0
        {-100, -1, 4, {"-100", "-75", "-50", "-25", "0"}},                   // not above 0
        {0.2, 0.3, 5, {"0.2", "0.22", "0.24", "0.26", "0.28", "0.3"}},
        {5, 5, 4, {"4.5", "4.75", "5", "5.25", "5.5"}},                      // one value: widened
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lo << ".." << c.hi << " in " << c.intervals);
        const Ticks t = aligned_ticks(c.lo, c.hi, c.intervals);
        EXPECT_EQ(tick_labels(t.major), c.labels);
        EXPECT_LE(t.lo, c.lo);
        EXPECT_GE(t.hi, c.hi);
    }
    EXPECT_THROW(aligned_ticks(0, 1, 0), PlotError);
}

// Head-room: an axis draws 4 % of its ticks' range beyond each end (of its
// decades on a log one), so a curve on the last tick stays inside the frame.
TEST(SvgTicks, HeadRoomBeyondTheTicks) {
    const struct {
        double lo, hi;
        bool log;
        double drawn_lo, drawn_hi;
    } cases[] = {
        {0, 100, false, -4, 104},
        {-40, 40, false, -43.2, 43.2},
        {1e-7, 1e-4, true, std::pow(10.0, -7.12), std::pow(10.0, -3.88)},
    };
    for (const auto& c : cases) {
        const Range r = drawn_range(c.log ? log_ticks(c.lo, c.hi) : linear_ticks(c.lo, c.hi), c.log);
        EXPECT_NEAR(r.lo, c.drawn_lo, std::abs(c.drawn_lo) * 1e-12) << c.lo;
        EXPECT_NEAR(r.hi, c.drawn_hi, std::abs(c.drawn_hi) * 1e-12) << c.hi;
    }
}

TEST(SvgText, EscapedAndAlwaysValidUtf8) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"a & b <c> \"d\" 'e'", "a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos;"},
        {"V (м/с), ETA (%), 10⁻⁶", "V (м/с), ETA (%), 10⁻⁶"},
        {"tab\there\x01", "tab here "},
        {"\xFF" "a", fffd + "a"},
        {"\xC0\xAF", fffd + fffd},                // overlong '/'
        {"\xED\xA0\x80", fffd + fffd + fffd},     // a surrogate
        {"x\xE2\x82", "x" + fffd + fffd},         // cut short
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(escape_xml(in), out);
}

struct GapCase {
    std::vector<double> y;
    bool log;
    std::vector<std::size_t> polylines;
    std::size_t markers;
};

TEST(SvgSeries, GapsBreakTheLine) {
    std::vector<double> many(40, 1.0);
    many[1] = nan;
    const GapCase cases[] = {
        {{1, 2, 3, 4, 5}, false, {5}, 5},
        {{1, 2, nan, 4, 5}, false, {2, 2}, 4},
        {{nan, 2, 3, 4, nan}, false, {3}, 3},
        {{1, nan, 3, nan, 5}, false, {}, 3},  // lone points: markers only
        {{1, inf, 3, 4, 5}, false, {3}, 4},
        {{-1, 2, 3, 0, 5}, true, {2}, 3},     // not above zero on a log axis
        {many, false, {38}, 1},               // over 30 points: a marker only for the lone one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        Figure f;
        std::vector<double> x(c.y.size());
        for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<double>(i + 1);
        f.panels.push_back({.left = {"y", "", c.log}, .series = {{"s", x, c.y}}});
        const std::string svg = render_svg(f);
        EXPECT_EQ(polyline_points(svg), c.polylines);
        EXPECT_EQ(count(svg, "class=\"pt\""), c.markers);
    }
}

TEST(SvgFigure, ProfilesInTwoPanelsWithARightAxisAndMarkers) {
    Figure f;
    f.title = "ZARN1 & <profiles>";
    f.x = {"r", "м"};
    std::vector<double> r, v, p, u, w;
    for (int i = 0; i <= 35; ++i) {
        const double ri = 0.03 + 0.002 * i;
        r.push_back(ri);
        v.push_back(60 * std::exp(-std::pow((ri - 0.04) / 0.03, 2)));
        p.push_back(-3000 + 5000 * (ri - 0.03) / 0.07);
        u.push_back(-2 * ri / 0.1);
        w.push_back(ri < 0.05 ? 8 : 0);
    }
    f.panels.push_back(
        {.left = {"V", "м/с"}, .right = {"P", "Па"}, .series = {{"V", r, v}, {"P", r, p, Side::right}}});
    f.panels.push_back({.left = {"U, W", "м/с"}, .series = {{"U", r, u}, {"W", r, w}}});
    f.markers = {{0.1, "R1"}, {0.045, "RV"}, {0.046, "RP"}, {0.03, "RK"}};
    const std::string svg = render_svg(f);
    expect_well_formed(svg);
    EXPECT_EQ(polyline_points(svg), (std::vector<std::size_t>{36, 36, 36, 36}));
    EXPECT_EQ(count(svg, "stroke-dasharray=\"7 4\" points"), 1u);  // P, on the right axis
    EXPECT_EQ(count(svg, "class=\"pt\""), 0u);                     // 36 points: no markers
    EXPECT_EQ(count(svg, "<line class=\"series\""), 4u);           // two legends of two
    EXPECT_EQ(count(svg, "class=\"mark\""), 8u);
    for (const char* t : {">R1<", ">RV<", ">RP<", ">RK<", ">V (м/с)<", ">P (Па)<", ">U, W (м/с)<", ">r (м)<",
                          ">ZARN1 &amp; &lt;profiles&gt;<", ">-3000<"})
        EXPECT_EQ(count(svg, t), 1u) << t;               // x tick labels under the bottom panel only
    EXPECT_EQ(count(svg, ">0.05<"), 1u);
}

TEST(SvgFigure, SweepOnALogAxisWithAGap) {
    Figure f;
    f.title = "KERVA sweep";
    f.x = {"DCH", "m", true};
    std::vector<double> d, eta, eta2;
    for (int i = 0; i <= 20; ++i) {
        d.push_back(std::pow(10.0, -6 + 0.1 * i));
        eta.push_back(i == 9 ? nan : 100 * (1 - std::exp(-d.back() / 1e-5)));
        eta2.push_back(eta.back() * 0.8);
    }
    f.panels.push_back({.left = {"ETA", "%"}, .series = {{"ETA1", d, eta}, {"ETA2", d, eta2}}});
    const std::string svg = render_svg(f);
    expect_well_formed(svg);
    EXPECT_EQ(polyline_points(svg), (std::vector<std::size_t>{9, 11, 9, 11}));
    EXPECT_EQ(count(svg, "class=\"pt\""), 40u + 2u);  // every point, and one in each legend entry
    for (const char* t : {">1e-6<", ">2e-6<", ">5e-5<", ">1e-4<", ">ETA (%)<", ">DCH (m)<"})
        EXPECT_EQ(count(svg, t), 1u) << t;
}

TEST(SvgFigure, ErrorsNameWhatCannotBeDrawn) {
    const std::vector<double> x{1, 2}, y{-1, 0};
    const std::pair<std::function<Figure()>, std::string> cases[] = {
        {[] { return Figure{}; }, "at least one panel"},
        {[] { return Figure{.panels = {Panel{}}}; }, "panel 1 has no series"},
        {[&] { return Figure{.panels = {{.series = {{"s", x, {1}}}}}}; }, "series \"s\": x and y differ"},
        {[&] { return Figure{.panels = {{.left = {"ETA", "%", true}, .series = {{"s", x, y}}}}}; },
         "panel 1, left axis \"ETA (%)\": no value to plot (a log axis shows only values > 0)"},
        {[&] { return Figure{.x = {"d", "m"}, .panels = {{.series = {{"s", {nan, inf}, y}}}}}; },
         "x axis \"d (m)\": no value to plot"},
    };
    for (const auto& [make, message] : cases) {
        try {
            render_svg(make());
            ADD_FAILURE() << "no error for " << message;
        } catch (const PlotError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace swirl::plot
