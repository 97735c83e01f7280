// Which results each path of a program computes, and the verdicts it
// reaches, in the program's words: one table a program, each case a data
// file made from the example, the results that path leaves uncomputed and
// the verdicts' texts.  An invalid computation computes nothing and reaches
// no verdict.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "calculator_cases.h"
#include "drain_funnel/run.h"
#include "fixrec/cp866.h"
#include "fixrec/render.h"
#include "separator/run.h"
#include "vortex_chamber/run.h"

namespace calculator_cases {
namespace {

using namespace fixrec::literals;
using calculators::Calculator;
using calculators::Outcome;

struct PathCase {
    const char* name;
    Edits edits;
    bool valid;
    std::set<std::string_view> not_computed;
    std::vector<std::string_view> verdicts;  // one per verdict of the program, code page 866
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
std::string path_name(const ::testing::TestParamInfo<PathCase>& p) { return p.param.name; }

Outcome outcome_of(const Calculator& c, const char* example_file, const Edits& edits) {
    std::vector<Value> inputs(c.inputs.size());
    calculators::ReadFailure failure;
    EXPECT_TRUE(c.read(with_values(c, example(example_file), edits), inputs, failure)) << "line " << failure.line;
    Outcome out;
    c.compute(inputs, false, out);
    return out;
}

void expect_path(const Calculator& c, const char* example_file, const PathCase& p) {
    const Outcome out = outcome_of(c, example_file, p.edits);
    ASSERT_EQ(out.valid, p.valid) << out.failure;
    ASSERT_EQ(out.computed.size(), c.results.size());
    ASSERT_EQ(out.verdicts.size(), c.verdicts.size());
    for (std::size_t k = 0; k < c.results.size(); ++k) {
        const bool expected = p.valid && !p.not_computed.contains(c.results[k].name);
        EXPECT_EQ(out.computed[k], expected) << c.results[k].name;
    }
    ASSERT_EQ(p.verdicts.size(), c.verdicts.size());
    for (std::size_t k = 0; k < c.verdicts.size(); ++k)
        EXPECT_EQ(out.verdicts[k], p.verdicts[k]) << c.verdicts[k].name;
}

// ---------------------------------------------------------------------------

class BilmPath : public ::testing::TestWithParam<PathCase> {};
TEST_P(BilmPath, ComputesAndSays) { expect_path(drain_funnel::calculator(), "BILM.DAT", GetParam()); }
INSTANTIATE_TEST_SUITE_P(
    Paths, BilmPath,
    ::testing::Values(
        // verdict: outlet
        PathCase{"FunnelAboveTheOutlet", {}, true, {}, {""}},
        // RV and VMAX are computed, the report leaves them out.
        PathCase{"FunnelReachesTheOutlet", {{"UPOD", ".5"}}, true, {}, {"ВОРОНКА ДОСТИГЛА ВЫХОДНОГО ОТВЕРСТИЯ"_cp}},
        PathCase{"Invalid", {{"R1", "0"}}, false, {}, {""}}),
    path_name);

// ---------------------------------------------------------------------------

constexpr std::string_view kStokes = "СТОКСОВСКИЙ РЕЖИМ ОБТЕКАНИЯ"_cp;
constexpr std::string_view kBoth = "СТОКСОВСКИЙ РЕЖИМ ОБТЕКАНИЯ; КВАДРАТИЧНЫЙ РЕЖИМ ОБТЕКАНИЯ"_cp;
constexpr std::string_view kQuadratic = "КВАДРАТИЧНЫЙ РЕЖИМ ОБТЕКАНИЯ"_cp;
constexpr std::string_view kEta1 = "СТЕПЕНЬ ОЧИСТКИ ETA1"_cp;
constexpr std::string_view kEta2 = "СТЕПЕНЬ ОЧИСТКИ ETA2"_cp;
constexpr std::string_view kEta = "СТЕПЕНЬ ОЧИСТКИ ИНТЕРПОЛИРОВАННАЯ ETA"_cp;

class KervaPath : public ::testing::TestWithParam<PathCase> {};
TEST_P(KervaPath, ComputesAndSays) { expect_path(separator::calculator(), "KERVA.DAT", GetParam()); }
INSTANTIATE_TEST_SUITE_P(
    Paths, KervaPath,
    ::testing::Values(
        // verdicts: regimes, answer
        PathCase{"Stokes", {}, true, {"BETA2", "SP2C", "KS2C", "BETA1", "ETA2", "ETA2FR", "ETA", "ETAM"},
                 {kStokes, kEta1}},
        PathCase{"BetweenTheRegimes", {{"L", ".3"}, {"D50", ".5E-4"}}, true, {}, {kBoth, kEta}},
        PathCase{"QuadraticAlone",
                 {{"L", ".3"}, {"D50", ".5E-4"}, {"BETA", ".240647331"}},
                 true,
                 {"KSC", "ETA1", "ETA1FR", "ETA", "ETAM"},
                 {kQuadratic, kEta2}},
        PathCase{"Invalid", {{"QH", "0"}}, false, {}, {"", ""}}),
    path_name);

// The console's values are results: the numbers of "ETA1fr=", "ETA2fr=" and
// of the line of ETA and ETAM, as the console prints them.
TEST(KervaConsoleValues, AreTheNumbersTheConsolePrints) {
    const Calculator& c = separator::calculator();
    const Outcome out = outcome_of(c, "KERVA.DAT", {{"L", ".3"}, {"D50", ".5E-4"}});
    ASSERT_TRUE(out.valid);
    const auto value = [&](std::string_view name) {
        for (std::size_t k = 0; k < c.results.size(); ++k)
            if (c.results[k].name == name) return out.results[k].real;
        ADD_FAILURE() << name;
        return 0.0f;
    };
    const auto line = [](std::initializer_list<fixrec::Item> items) {
        std::string s;
        fixrec::render_console_record({items.begin(), items.size()}, s);
        return s;
    };
    const std::vector<std::string>& console = out.console;
    const auto shown = [&](const std::string& l) { return std::find(console.begin(), console.end(), l) != console.end(); };
    EXPECT_TRUE(shown(line({"ETA1fr="_cp, value("ETA1FR")})));
    EXPECT_TRUE(shown(line({"ETA2fr="_cp, value("ETA2FR")})));
    EXPECT_TRUE(shown(line({value("ETA"), value("ETAM")})));
    for (const calculators::Field& f : c.results)
        EXPECT_EQ(f.shown == calculators::Shown::Console, f.name == "ETA1FR" || f.name == "ETA2FR" || f.name == "ETAM")
            << f.name;
}

// ---------------------------------------------------------------------------

constexpr std::string_view kBothRefinements = "УТОЧНЕНИЕ РЕЗУЛЬТАТОВ ПО ФОРМУЛЕ V*R**N=const; УТОЧНЕНИЕ РЕЗУЛЬТАТОВ С УЧЕТОМ ВЫСОТЫ H"_cp;
constexpr std::string_view kHeight = "УТОЧНЕНИЕ РЕЗУЛЬТАТОВ С УЧЕТОМ ВЫСОТЫ H"_cp;
const std::set<std::string_view> kPowerLaw{"N", "V1_N", "VMAX_N", "PK_N", "PVXOD_N"};

std::set<std::string_view> with(std::set<std::string_view> a, std::initializer_list<std::string_view> more) {
    a.insert(more);
    return a;
}

class Zarn1Path : public ::testing::TestWithParam<PathCase> {};
TEST_P(Zarn1Path, ComputesAndSays) { expect_path(vortex_chamber::calculator(), "ZARN1.DAT", GetParam()); }
INSTANTIATE_TEST_SUITE_P(
    Paths, Zarn1Path,
    ::testing::Values(
        // verdicts: refinements, nodes, unsolved
        PathCase{"AnalyticVortex", {}, true, {}, {kBothRefinements, "", ""}},
        PathCase{"EquationsOfMotion", {{"NVS", "1"}}, true, kPowerLaw, {kHeight, "", ""}},
        PathCase{"WithoutCounterflow", {{"NVS", "2"}}, true, kPowerLaw, {kHeight, "", ""}},
        PathCase{"AnalyticNodesExceeded", {{"DRK", "0.0002"}}, true, {},
                 {kBothRefinements, "ЧИСЛО УЗЛОВ БОЛЬШЕ 400; НУЖНО УВЕЛИЧИТЬ DRK"_cp, ""}},
        PathCase{"MotionNodesExceeded", {{"DRK", "0.0002"}, {"NVS", "1"}}, true, kPowerLaw,
                 {kHeight, "число узлов больше 400 нужно увеличить DRK"_cp, ""}},
        // A solution whose pressure never crosses zero (one node) gives no RP.
        PathCase{"MotionWithoutPressureZero", {{"DRK", "0.3"}, {"NVS", "1"}}, true, with(kPowerLaw, {"RP"}),
                 {kHeight, "", ""}},
        // No V and P: nor what is made from them; RP only the solution gives.
        PathCase{"FlowTooSmall", {{"G", "0.00002"}, {"NVS", "1"}}, true,
                 with(kPowerLaw, {"V1", "NK", "P0", "PK", "P1", "VMAX", "PVXOD", "P0_H", "PK_H", "VMAX_H", "RP"}),
                 {"", "", "Из-за F2<=2 расчет V и P не проводился; нужно увеличить расход G."_cp}},
        // NVS = 2 estimates RP before the solution.
        PathCase{"FlowTooSmallWithoutCounterflow", {{"G", "0.00002"}, {"NVS", "2"}}, true,
                 with(kPowerLaw, {"V1", "NK", "P0", "PK", "P1", "VMAX", "PVXOD", "P0_H", "PK_H", "VMAX_H"}),
                 {"", "", "Из-за F2<=2 расчет V и P не проводился; нужно увеличить расход G."_cp}},
        PathCase{"Invalid", {{"RO", "0"}}, false, {}, {"", "", ""}}),
    path_name);

}  // namespace
}  // namespace calculator_cases
