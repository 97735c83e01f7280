// swirl's studies in memory: a sweep's rows are the same whatever the threads
// and the shards, long grids give the rows of short ones, what cannot be
// swept is refused, and the figures of a sweep's table have their gaps,
// curves, panels and units.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "swirl/svg/svg_plot.h"
#include "swirl/core/csv.h"
#include "swirl/core/usage_error.h"
#include "swirl/study/figures.h"
#include "swirl/study/sweep.h"

namespace swirl {
namespace {

const Calculator& bilm() { return *find_program("BILM"); }

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    EXPECT_TRUE(calc.read(calc.example, inputs, where));
    return inputs;
}

std::vector<Grid> grids(std::initializer_list<const char*> texts) {
    std::vector<Grid> out;
    for (const char* t : texts) out.push_back(parse_grid(t));
    return out;
}

std::string rows_of(const Sweep& sweep, unsigned jobs) {
    std::string rows;
    sweep.run(jobs, [&](std::string_view block) { rows += block; });
    return rows;
}

// Q against R1 through the drain radii that make BILM invalid (R1 < 0, R1 = 0).
const std::vector<Grid> kStudy = grids({"Q=0.00002:0.002:7:log", "R1=-0.01:0.02:7"});

TEST(Sweep, RowsAreTheSameWhateverTheJobsAndTheShards) {
    const std::vector<Value> base = example_inputs(bilm());
    const Sweep whole(bilm(), base, kStudy);
    ASSERT_EQ(whole.total(), 49);
    const std::string rows = rows_of(whole, 1);
    for (const unsigned jobs : {2u, 3u, 8u}) EXPECT_EQ(rows_of(whole, jobs), rows) << jobs << " jobs";
    std::string header;
    whole.append_header(header);
    for (const std::int64_t n : {2, 3, 5, 60}) {
        std::string joined;
        for (std::int64_t k = 1; k <= n; ++k) {
            const Sweep shard(bilm(), base, kStudy, {k, n});
            std::string h;
            shard.append_header(h);
            EXPECT_EQ(h, header);
            joined += rows_of(shard, 2);
        }
        EXPECT_EQ(joined, rows) << n << " shards";
    }
}

// Every row against the program itself: study_e2e_test.cpp.  Here: the
// header, a value as its field holds it, an invalid case's row.
TEST(Sweep, TheTable) {
    const Sweep sweep(bilm(), example_inputs(bilm()), kStudy);
    std::string text;
    sweep.append_header(text);
    text += rows_of(sweep, 2);
    const CsvTable table = read_csv(text);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"Q", "HG", "R1", "RCR", "UPOD", "HO", "RV", "VMAX", "status",
                                                       "reason", "messages", "outlet"}));
    ASSERT_EQ(table.rows.size(), 49u);
    // 0.00002 * 100^(1/6) = 4.3088693...e-5: the field holds five digits.
    EXPECT_EQ(table.rows[7][0], "4.3089e-05");
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{"2e-05", "0.5", "-0.01", "0.1", "0.05", "", "", "", "invalid",
                                                       "***ОШИБКА ВЫЧИСЛЕНИЙ: R1<0, СТЕПЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***",
                                                       "", ""}));
}

TEST(Sweep, ALongGridGivesTheRowsOfItsValuesOneByOne) {
    const std::vector<Value> base = example_inputs(bilm());
    const Grid q = parse_grid("Q=0.0001:0.001:70001");
    ASSERT_GT(q.count, Sweep::kTabulatedValues);
    const Sweep shard(bilm(), base, std::vector<Grid>{q}, {500, 7000});
    std::string rows = rows_of(shard, 2), one_by_one;
    for (std::int64_t i = shard.cases().begin; i < shard.cases().end; ++i)
        one_by_one += rows_of(Sweep(bilm(), base, std::vector<Grid>{{"Q", q.value(i), q.value(i), 1, false}}), 1);
    EXPECT_EQ(rows, one_by_one);
}

TEST(Sweep, Refusals) {
    const std::vector<Value> base = example_inputs(bilm());
    const struct {
        std::vector<Grid> grids;
        const char* message;
    } cases[] = {
        {{}, "at least one grid"},
        {grids({"QQ=1:2:2"}), "has no input QQ (did you mean Q? its inputs: Q, HG, R1, RCR, UPOD)"},
        {grids({"vmax=1:2:2"}), "vmax is a result of BILM, not an input"},
        {grids({"Q=1:2:2", "q=3:4:2"}), "Q is varied twice"},
        {grids({"Q=1e39:1:3"}), "grid Q: value 1e+39 (number 1 of 3)"},
        {grids({"Q=1:1e39:70000"}), "grid Q: value 1e+39 (number 70000 of 70000)"},  // not tabulated
    };
    for (const auto& c : cases) {
        try {
            Sweep(bilm(), base, c.grids);
            ADD_FAILURE() << c.message;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    // An integer input takes whole numbers only.
    const Calculator& kerva = *find_program("KERVA");
    EXPECT_THROW(Sweep(kerva, example_inputs(kerva), grids({"NI=1:2:3"})), UsageError);
    EXPECT_EQ(Sweep(kerva, example_inputs(kerva), grids({"NI=1:3:3"})).total(), 3);
}

// ---------------------------------------------------------------------------
// The figure of a sweep's table.

// BILM's columns with these rows of Q, UPOD, HO, VMAX and status.
CsvTable bilm_table(const std::vector<std::vector<std::string>>& rows) {
    CsvTable t{{"Q", "HG", "R1", "RCR", "UPOD", "HO", "RV", "VMAX", "status", "reason", "messages", "outlet"}, {}};
    for (const auto& r : rows) t.rows.push_back({r[0], "0.5", "0.01", "0.1", r[1], r[2], "", r[3], r[4], "", "", ""});
    return t;
}

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto i = s.find(what); i != std::string::npos; i = s.find(what, i + 1)) ++n;
    return n;
}

TEST(SweepFigure, GapsCurvesPanelsAndUnits) {
    // Rows out of x order, an invalid case in the middle.
    const CsvTable t = bilm_table({{"0.003", "0.05", "0.3", "1.3", "ok"},
                                   {"0.001", "0.05", "0.1", "1.1", "ok"},
                                   {"0.002", "0.05", "", "", "invalid"},
                                   {"0.004", "0.05", "0.4", "1.4", "ok"},
                                   {"0.0005", "0.05", "0.05", "1.0", "ok"}});
    const plot::Figure f = sweep_figure(t, {"q", {"HO", "VMAX"}, true, false, "s.csv"});
    EXPECT_EQ(f.title, "s.csv: HO, VMAX against Q");
    EXPECT_EQ(f.x.title, "Q");
    EXPECT_EQ(f.x.unit, "м3/с");
    EXPECT_TRUE(f.x.log);
    ASSERT_EQ(f.panels.size(), 2u);  // м and м/с
    EXPECT_EQ(f.panels[0].left.unit, "м");
    EXPECT_EQ(f.panels[1].left.unit, "м/с");
    const plot::Series& ho = f.panels[0].series.at(0);
    EXPECT_EQ(ho.x, (std::vector<double>{0.0005, 0.001, 0.002, 0.003, 0.004}));
    EXPECT_TRUE(std::isnan(ho.y[2]));
    const std::string svg = plot::render_svg(f);
    EXPECT_EQ(count(svg, "<polyline"), 4u);  // each curve broken at the invalid case

    // A second varied input: a curve for each of its values.
    const CsvTable two = bilm_table({{"0.001", "0.05", "0.1", "1", "ok"},
                                     {"0.002", "0.05", "0.2", "1", "ok"},
                                     {"0.001", "0.1", "0.3", "1", "ok"},
                                     {"0.002", "0.1", "0.4", "1", "ok"}});
    const plot::Figure g = sweep_figure(two, {"Q", {"HO"}, false, false, ""});
    ASSERT_EQ(g.panels.size(), 1u);
    ASSERT_EQ(g.panels[0].series.size(), 2u);
    EXPECT_EQ(g.panels[0].series[1].name, "UPOD = 0.1 м/с");  // a column alone in its panel: the case only
    EXPECT_EQ(g.panels[0].series[1].y, (std::vector<double>{0.3, 0.4}));
}

TEST(SweepFigure, Refusals) {
    std::vector<std::vector<std::string>> many;
    for (int k = 0; k < 8; ++k) many.push_back({"0.001", std::to_string(k + 1), "0.1", "1", "ok"});
    std::vector<std::vector<std::string>> four(many.begin(), many.begin() + 4);
    // Seven curves a panel: four values of UPOD for HO (м) and VMAX (м/с) draw.
    const plot::Figure f = sweep_figure(bilm_table(four), {"Q", {"HO", "VMAX"}});
    ASSERT_EQ(f.panels.size(), 2u);
    EXPECT_EQ(f.panels[1].series.size(), 4u);
    EXPECT_EQ(f.panels[1].series[3].name, "UPOD = 4 м/с");
    const struct {
        CsvTable table;
        SweepPlot request;
        const char* message;
    } cases[] = {
        {bilm_table({{"0.001", "0.05", "0.1", "1", "ok"}}), {"QQ", {"HO"}}, "no column QQ"},
        {bilm_table({{"0.001", "0.05", "0.1", "1", "ok"}}), {"Q", {"HO", "X"}}, "no column X"},
        {bilm_table({}), {"Q", {"HO"}}, "no rows"},
        {bilm_table(many), {"Q", {"HO"}}, "also varies UPOD: 8 curves in one panel"},
        {bilm_table(four), {"Q", {"HO", "RV"}}, "also varies UPOD: 8 curves in one panel"},  // both in м
    };
    for (const auto& c : cases) {
        try {
            sweep_figure(c.table, c.request);
            ADD_FAILURE() << c.message;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(sweep_figure(bilm_table({{"0.001", "0.05", "abc", "1", "ok"}}), {"Q", {"HO"}}), CsvError);
}

}  // namespace
}  // namespace swirl
