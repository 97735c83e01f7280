// KERVA as the user runs it: the built program in a scratch directory with its
// data file KERVA.DAT, checked by the bytes of the data file, of the console
// (standard output, each message without its carriage-control blank, every
// message after the first preceded by CR LF, one CR LF at the end), of
// standard error and the exit code.  What KERVA's own input sections and
// numbers give is here; what becomes of the data file when the file system
// fails it is the fault matrix's (tests/faults), which runs the three
// calculators alike.
//
// Expected fields were worked out from the rules by hand and with the
// single-precision model tests/separator/reference_model.py, never taken from
// the program's output.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "kerva_expect.h"
#include "run_program.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using namespace fixrec::literals;
using kerva_expect::InputFields;
using kerva_expect::QuadraticFields;
using kerva_expect::StokesFields;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

constexpr std::string_view kCrLf = "\r\n";
using test_support::kExitInvalidArithmetic;
using test_support::kExitOk;
using test_support::kExitUnreadable;

// The console as the user sees it: the messages on lines of their own.
std::string console(std::initializer_list<std::string_view> messages) {
    std::string s;
    bool first = true;
    for (std::string_view m : messages) {
        if (!first) s.append(kCrLf);
        s.append(m);
        first = false;
    }
    if (!first) s.append(kCrLf);
    return s;
}

// A hand-typed input section: free header and label-only text, labels in
// columns 1-41, the values from column 42 as plain decimals (with a point, so
// that no implied fraction digits apply), NI and VID in column 47.
using Values = std::map<std::string, std::string>;

Values example_values() {
    return {{"QH", "1000."}, {"ROG", "1.2"},  {"NU", "1.5E-5"}, {"DK", "0.4"},  {"L", "1.2"},
            {"R2", "0.15"},  {"B", "0.1"},    {"HI", "0.2"},    {"NI", "1"},    {"UVX", "90."},
            {"VID", "1"},    {"BETA", "0.8"}, {"D50", "1.E-5"}, {"LGSG", "0.3"}, {"ROP", "2000."},
            {"QGE", "1."}};
}

Values with(Values v, std::initializer_list<std::pair<const char*, const char*>> changes) {
    for (const auto& [k, x] : changes) v[k] = x;
    return v;
}

std::vector<std::string> input_lines(const Values& v) {
    auto value = [&](const char* label) {
        std::string line = std::string("  ") + label;
        line.resize(41, ' ');
        return line + v.at(label);
    };
    auto integer = [&](const char* label) {
        std::string line = std::string("  ") + label;
        line.resize(46, ' ');
        return line + v.at(label);
    };
    return {"Separator of the test rig, run 7",
            "",
            "  particles: quartz dust",
            "", "", "", "", "", "",
            "  inputs:",
            value("QH"), value("ROG"), value("NU"), value("DK"), value("L"), value("R2"),
            value("B"),
            "  height of the inlet (0: round)",
            value("HI"), integer("NI"),
            "  inclination",
            value("UVX"),
            "  kind of inlet",
            integer("VID"), value("BETA"),
            "  particle size", "",
            value("D50"),
            "  spread",
            value("LGSG"), value("ROP"),
            "  shape",
            value("QGE")};
}

std::string lines(const std::vector<std::string>& ls) {
    std::string s;
    for (const auto& l : ls) s.append(l).append(kCrLf);
    return s;
}

std::string input(const Values& v) { return lines(input_lines(v)); }

// Input fields of the worked example as the report renders them.
constexpr InputFields kExampleIn{"      .10000E+04", "      .12000E+01", "      .15000E-04",
                                 "      .40000E+00", "      .12000E+01", "      .15000E+00",
                                 "      .10000E+00", "      .20000E+00", "1",
                                 "    90.0000",      "1",                "      .8000",
                                 "      .10000E-04", "      .30000E+00", "      .20000E+04",
                                 "     1.0000"};

InputFields in_with_lgsg(InputFields in, std::string_view lgsg) {
    in.lgsg = lgsg;
    return in;
}
// The second worked example: L = 0.3, D50 = 5e-5.
InputFields example2_in() {
    InputFields in = kExampleIn;
    in.l = "      .30000E+00";
    in.d50 = "      .50000E-04";
    return in;
}

std::string example1_report() {
    return kerva_expect::report(kExampleIn, "      .83333E+01",
                                StokesFields{"      .65958E+03", "      .14378E+01", "    77.40340"},
                                std::nullopt);
}

std::string example2_report() {
    return kerva_expect::report(
        example2_in(), "      .83333E+01",
        StokesFields{"      .65958E+01", "      .35945E+01", "    96.96620"},
        QuadraticFields{"      .33244E+01", "      .36000E+00", "      .15386E+02", "      .55389E+01",
                        "   100.00000"},
        "    98.76903");
}

class Kerva : public ::testing::Test {
protected:
    fs::path data() const { return dir_ / "KERVA.DAT"; }

    RunOptions options() const {
        RunOptions o;
        o.program = KERVA_PATH;
        o.cwd = dir_.path().string();
        return o;
    }

    RunResult run() const { return test_support::run_program(options()); }

    RunResult run_on(const std::string& content) const {
        write_bytes(data(), content);
        return run();
    }

    static void expect_clean_end(const RunResult& r) {
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.term_signal, 0);
        EXPECT_EQ(r.err, "");
    }

    TempDir dir_;
};

// ---------------------------------------------------------------------------
// The worked examples.

TEST_F(Kerva, WorkedExampleStokesWithDistribution) {
    const RunResult r = run_on(input(example_values()));
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, console({kerva_expect::kKerva1, "ETA1fr=       2.070430",
                              "ETA1(%)=      77.403400"}));
    EXPECT_EQ(read_bytes(data()), example1_report());
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"KERVA.DAT"});
}

TEST_F(Kerva, WorkedExampleStokesOneSize) {
    const RunResult r = run_on(input(with(example_values(), {{"LGSG", "0"}})));
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, console({kerva_expect::kKerva1, "ETA1fr=       2.070430",
                              "ETA1(%)=     100.000000"}));
    EXPECT_EQ(read_bytes(data()),
              kerva_expect::report(in_with_lgsg(kExampleIn, "      .00000E+00"), "      .83333E+01",
                                   StokesFields{"      .65958E+03", "      .14378E+01", "   100.00000"},
                                   std::nullopt));
}

TEST_F(Kerva, WorkedExampleBetweenTheRegimes) {
    const RunResult r = run_on(input(with(example_values(), {{"L", "0.3"}, {"D50", "5.E-5"}})));
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, console({kerva_expect::kKerva1, "ETA1fr=      14.876820",
                              "ETA1(%)=      96.966200", kerva_expect::kKerva2,
                              kerva_expect::kAlgorithm2, "ETA2fr=      13.460600",
                              "ETA2(%)=     100.000000", "      98.769030       98.483100"}));
    EXPECT_EQ(read_bytes(data()), example2_report());
}

TEST_F(Kerva, ShippedExampleFileIsTheWorkedExampleReport) {
    EXPECT_EQ(read_bytes(fs::path(EXAMPLES_DIR) / "KERVA.DAT"), example1_report());
}

TEST_F(Kerva, ReportIsItsOwnInput) {
    // Every value a report shows reads back to what makes the same report.
    for (const std::string& report : {example1_report(), example2_report()}) {
        write_bytes(data(), report);
        for (int round = 1; round <= 2; ++round) {
            const RunResult r = run();
            expect_clean_end(r);
            EXPECT_EQ(r.exit_code, kExitOk) << "round " << round;
            EXPECT_EQ(read_bytes(data()), report) << "round " << round;
        }
    }
}

TEST_F(Kerva, TwoDigitCountsComeBackOnTheNextRun) {
    // NI and VID as typed in columns 47-48: the report writes them there, and
    // the next run reads them and makes the same report.
    const RunResult r = run_on(input(with(example_values(), {{"NI", "10"}, {"VID", "12"}})));
    expect_clean_end(r);
    ASSERT_EQ(r.exit_code, kExitOk);
    const std::string report = read_bytes(data());
    EXPECT_NE(report.find("NI     10\r\n"), std::string::npos);
    EXPECT_NE(report.find("VID     12\r\n"), std::string::npos);
    const RunResult again = run();
    expect_clean_end(again);
    EXPECT_EQ(again.exit_code, kExitOk);
    EXPECT_EQ(again.out, r.out);
    EXPECT_EQ(read_bytes(data()), report);
}

TEST_F(Kerva, EarlierLongerReportIsCut) {
    std::string old = example2_report();
    for (int k = 0; k < 30; ++k) old += "note " + std::to_string(k) + "\r\n";
    // The first 33 lines of the second example's report, with L and D50 of
    // the first: the rest of the old report is replaced.
    auto change = [&](std::string_view from, std::string_view to) {
        const auto at = old.find(from);
        ASSERT_NE(at, std::string::npos);
        old.replace(at, from.size(), to);
    };
    change("      .30000E+00 (", "      .12000E+01 (");
    change("      .50000E-04 (", "      .10000E-04 (");
    const RunResult r = run_on(old);
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(read_bytes(data()), example1_report());
}

// ---------------------------------------------------------------------------
// Regime and approximation boundaries, inlets: the report lines from VK on
// and the console.  Inputs that land exactly on a boundary were found with
// the single-precision model; nine significant digits pin the float.

struct Boundary {
    const char* name;
    Values values;
    std::string vk;
    std::optional<StokesFields> stokes;
    std::optional<QuadraticFields> quadratic;
    std::optional<std::string_view> eta;
    std::vector<std::string> console;
};
void PrintTo(const Boundary& p, std::ostream* os) { *os << p.name; }

// The report lines after line 37 (VK and the blocks).
std::string tail_from_vk(const std::string& report) {
    std::size_t at = 0;
    for (int k = 0; k < 37; ++k) at = report.find(kCrLf, at) + 2;
    return report.substr(at);
}

class KervaBoundary : public Kerva, public ::testing::WithParamInterface<Boundary> {};

TEST_P(KervaBoundary, ReportAndConsole) {
    const Boundary& p = GetParam();
    const RunResult r = run_on(input(p.values));
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitOk);
    std::string expected_out;
    for (std::size_t k = 0; k < p.console.size(); ++k)
        expected_out += (k ? std::string(kCrLf) : std::string()) + p.console[k];
    expected_out += kCrLf;
    EXPECT_EQ(r.out, expected_out);
    const std::string expected =
        kerva_expect::report(kExampleIn, p.vk, p.stokes, p.quadratic, p.eta);
    EXPECT_EQ(tail_from_vk(read_bytes(data())), tail_from_vk(expected));
}

const std::string kK1(kerva_expect::kKerva1);
const std::string kK2(kerva_expect::kKerva2);
const std::string kA1(kerva_expect::kAlgorithm1);
const std::string kA2(kerva_expect::kAlgorithm2);
const Values kEx2 = with(example_values(), {{"L", "0.3"}, {"D50", "5.E-5"}});

INSTANTIATE_TEST_SUITE_P(
    Paths, KervaBoundary,
    ::testing::Values(
        // SPC exactly 10 is the Stokes regime alone.
        Boundary{"SpcTen", with(example_values(), {{"NU", "2.27416336E-07"}}), "      .83333E+01",
                 StokesFields{"      .10000E+02", "      .11677E+02", "    99.98140"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=     149.990200", "ETA1(%)=      99.981400"}},
        // One step below: both regimes and ETA (SPC prints as 10 all the same).
        Boundary{"SpcJustBelowTen", with(example_values(), {{"NU", "2.27416322E-07"}}),
                 "      .83333E+01",
                 StokesFields{"      .10000E+02", "      .11677E+02", "    99.98140"},
                 QuadraticFields{"      .66487E+02", "      .18000E+01", "      .27523E+02",
                                 "      .49542E+02", "   100.00000"},
                 "    99.98140",
                 {kK1, "ETA1fr=     149.990200", "ETA1(%)=      99.981400", kK2, kA2,
                  "ETA2fr=      27.138170", "ETA2(%)=     100.000000",
                  "      99.981400       99.990700"}},
        // BETA2 exactly 1 is the quadratic regime alone, without ETA.
        Boundary{"Beta2One", with(kEx2, {{"BETA", "0.240647331"}}), "      .25067E+01", std::nullopt,
                 QuadraticFields{"      .10000E+01", "      .36000E+00", "      .46282E+01",
                                 "      .16662E+01", "    99.90179"},
                 std::nullopt, {kK2, kA1, "ETA2fr=       2.800294", "ETA2(%)=      99.901790"}},
        // BETA1 exactly 3 takes approximation 1, the next float above it 2.
        Boundary{"Beta1Three", with(kEx2, {{"BETA", "0.43329525"}}), "      .45135E+01",
                 StokesFields{"      .65958E+01", "      .19469E+01", "    85.74549"},
                 QuadraticFields{"      .18005E+01", "      .36000E+00", "      .83333E+01",
                                 "      .30000E+01", "    99.90179"},
                 "    97.20656",
                 {kK1, "ETA1fr=       4.364133", "ETA1(%)=      85.745490", kK2, kA1,
                  "ETA2fr=       6.414801", "ETA2(%)=      99.901790",
                  "      97.206560       92.823640"}},
        Boundary{"Beta1AboveThree", with(kEx2, {{"BETA", "0.43329531"}}), "      .45135E+01",
                 StokesFields{"      .65958E+01", "      .19469E+01", "    85.74550"},
                 QuadraticFields{"      .18005E+01", "      .36000E+00", "      .83333E+01",
                                 "      .30000E+01", "   100.00000"},
                 "    97.28606",
                 {kK1, "ETA1fr=       4.364135", "ETA1(%)=      85.745500", kK2, kA2,
                  "ETA2fr=       6.414802", "ETA2(%)=     100.000000",
                  "      97.286060       92.872750"}},
        // KVU exactly 82 keeps FTR = 1; the next float above it applies the
        // friction law.
        Boundary{"Kvu82", with(example_values(), {{"L", "1.7400955"}}), "      .83333E+01",
                 StokesFields{"      .95645E+03", "      .17314E+01", "    82.51982"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       3.000877", "ETA1(%)=      82.519820"}},
        Boundary{"KvuAbove82", with(example_values(), {{"L", "1.7400957"}}), "      .83264E+01",
                 StokesFields{"      .95645E+03", "      .17300E+01", "    82.49635"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       2.995858", "ETA1(%)=      82.496350"}},
        // A side inlet at 89.9 degrees takes the sine form, at 90 the centre
        // line form (the worked example): a jump of the factor 0.75.
        Boundary{"SideInlet89_9", with(example_values(), {{"UVX", "89.9"}}), "      .11111E+02",
                 StokesFields{"      .65958E+03", "      .19171E+01", "    85.33198"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       3.680753", "ETA1(%)=      85.331980"}},
        // An end inlet at 90 degrees: sin 90 times the centre-line factor.
        Boundary{"EndInlet", with(example_values(), {{"VID", "2"}}), "      .83333E+01",
                 StokesFields{"      .65958E+03", "      .14378E+01", "    77.40340"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       2.070430", "ETA1(%)=      77.403400"}},
        // Any other kind is a volute: (B/2 + RK)/RK; KVU 94.2 > 82.
        Boundary{"Volute3", with(example_values(), {{"VID", "3"}}), "      .12624E+02",
                 StokesFields{"      .65958E+03", "      .21781E+01", "    88.60708"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       4.751270", "ETA1(%)=      88.607080"}},
        Boundary{"Volute0", with(example_values(), {{"VID", "0"}}), "      .12624E+02",
                 StokesFields{"      .65958E+03", "      .21781E+01", "    88.60708"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       4.751270", "ETA1(%)=      88.607080"}},
        Boundary{"Volute4", with(example_values(), {{"VID", "4"}}), "      .12624E+02",
                 StokesFields{"      .65958E+03", "      .21781E+01", "    88.60708"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       4.751270", "ETA1(%)=      88.607080"}},
        // A round inlet (HI = 0) is one opening of diameter B whatever NI says.
        Boundary{"RoundInletTwoOpenings", with(example_values(), {{"HI", "0"}, {"NI", "2"}}),
                 "      .14458E+02",
                 StokesFields{"      .65958E+03", "      .24945E+01", "    91.61969"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1fr=       6.232014", "ETA1(%)=      91.619690"}},
        // Guards of the routines: G = 0 and G3 = 0 (no swirl, BETA = 0) give
        // 0 % with no further lines.
        Boundary{"StokesNoSwirl", with(example_values(), {{"BETA", "0"}}), "      .00000E+00",
                 StokesFields{"      .65958E+03", "      .00000E+00", "      .00000"}, std::nullopt,
                 std::nullopt, {kK1, "ETA1(%)=   0.000000E+00"}},
        Boundary{"QuadraticNoSwirl", with(kEx2, {{"BETA", "0"}}), "      .00000E+00", std::nullopt,
                 QuadraticFields{"      .00000E+00", "      .36000E+00", "      .00000E+00",
                                 "      .00000E+00", "      .00000"},
                 std::nullopt, {kK2, "ETA2(%)=   0.000000E+00"}},
        // A large BETA1 (TB above 700) is plainly 100 %.
        Boundary{"LargeBeta1", with(kEx2, {{"BETA", "80."}}), "      .83333E+03",
                 StokesFields{"      .65958E+01", "      .35945E+03", "   100.00000"},
                 QuadraticFields{"      .33244E+03", "      .36000E+00", "      .15386E+04",
                                 "      .55389E+03", "   100.00000"},
                 "   100.00000",
                 {kK1, "ETA1fr=  148768.200000", "ETA1(%)=     100.000000", kK2, kA2,
                  "ETA2fr=    1536.671000", "ETA2(%)=     100.000000",
                  "     100.000000      100.000000"}}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// Input sections that cannot be read: the message, no computation, and the
// data file left exactly as it was.

struct Unreadable {
    const char* name;
    std::string content;
};
void PrintTo(const Unreadable& p, std::ostream* os) { *os << p.name; }

std::string first_lines(int count) {
    auto ls = input_lines(example_values());
    ls.resize(static_cast<std::size_t>(count));
    return lines(ls);
}

class KervaUnreadable : public Kerva, public ::testing::WithParamInterface<Unreadable> {};

TEST_P(KervaUnreadable, MessageAndFileUntouched) {
    const std::string& content = GetParam().content;
    const RunResult r = run_on(content);
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitUnreadable);
    EXPECT_EQ(r.out, console({kerva_expect::kReadFailed}));
    EXPECT_EQ(read_bytes(data()), content);
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"KERVA.DAT"});
}

INSTANTIATE_TEST_SUITE_P(
    Input, KervaUnreadable,
    ::testing::Values(Unreadable{"HeaderOnly", first_lines(10)},
                      Unreadable{"EndsBeforeQGE", first_lines(32)},
                      Unreadable{"TwoPointsInROP", input(with(example_values(), {{"ROP", "2.0.0"}}))},
                      Unreadable{"LetterInNI", input(with(example_values(), {{"NI", "A"}}))},
                      Unreadable{"PointInVID", input(with(example_values(), {{"VID", "1."}}))},
                      // An asterisk (a count a field could not hold) does
                      // not read as an integer.
                      Unreadable{"AsteriskForNI", input(with(example_values(), {{"NI", "*"}}))}),
    [](const auto& tp) { return std::string(tp.param.name); });

// ---------------------------------------------------------------------------
// Invalid arithmetic: the console lines up to the failing step, a line of
// the program's own naming the inputs at fault, nothing written.

struct Invalid {
    const char* name;
    Values values;
    std::vector<std::string> console;
};
void PrintTo(const Invalid& p, std::ostream* os) { *os << p.name; }

class KervaInvalid : public Kerva, public ::testing::WithParamInterface<Invalid> {};

TEST_P(KervaInvalid, MessageAndFileUntouched) {
    const Invalid& p = GetParam();
    const std::string content = input(p.values);
    const RunResult r = run_on(content);
    expect_clean_end(r);
    EXPECT_EQ(r.exit_code, kExitInvalidArithmetic);
    std::string expected_out;
    for (std::size_t k = 0; k < p.console.size(); ++k)
        expected_out += (k ? std::string(kCrLf) : std::string()) + p.console[k];
    expected_out += kCrLf;
    EXPECT_EQ(r.out, expected_out);
    EXPECT_EQ(read_bytes(data()), content);
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"KERVA.DAT"});
}

INSTANTIATE_TEST_SUITE_P(
    Input, KervaInvalid,
    ::testing::Values(
        // ROG = ROP with a small viscosity keeps SPC below 10.
        Invalid{"EqualDensitiesQuadratic", with(kEx2, {{"ROP", "1.2"}, {"NU", "7.5E-9"}}),
                {std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: ROG=ROP, ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        Invalid{"DenserMediumStokes", with(example_values(), {{"ROP", "1.0"}}),
                {kK1, std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: ROP<ROG, КОРЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***"_cp)}},
        Invalid{"ShapeBelowQuadraticLimit", with(kEx2, {{"QGE", "0.9"}}),
                {std::string(
                    "***ОШИБКА ВЫЧИСЛЕНИЙ: QGE<=11.4/12.4, КОРЕНЬ НЕПОЛОЖИТЕЛЬНОГО ЧИСЛА***"_cp)}},
        Invalid{"ZeroShape", with(example_values(), {{"QGE", "0"}}),
                {std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: НЕДОПУСТИМЫЙ QGE, ЛОГАРИФМ ИЛИ КОРЕНЬ***"_cp)}},
        // ROG = 0 keeps the Stokes path open (SPC = 0 < 10) but SP2C = 0.
        Invalid{"ZeroMediumDensity", with(example_values(), {{"ROG", "0"}}),
                {std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: ROG=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        Invalid{"ZeroLength", with(example_values(), {{"L", "0"}}),
                {std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: DK=0 ИЛИ L=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        Invalid{"ZeroInletWidth", with(example_values(), {{"B", "0"}}),
                {std::string(
                    "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЛОЩАДЬ ВХОДА=0 (B, HI, NI), ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        Invalid{"NoOpenings", with(example_values(), {{"NI", "0"}}),
                {std::string(
                    "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЛОЩАДЬ ВХОДА=0 (B, HI, NI), ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        Invalid{"NoFlow", with(example_values(), {{"QH", "0"}}),
                {std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: QH=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        Invalid{"ZeroParticle", with(example_values(), {{"D50", "0"}}),
                {std::string(
                    "***ОШИБКА ВЫЧИСЛЕНИЙ: МАССА ЧАСТИЦЫ=0 (D50), ДЕЛЕНИЕ НА НОЛЬ***"_cp)}},
        // A negative diameter leaves SPC and KSC as they were, but DGR / D50
        // is negative: its logarithm is undefined after the Stokes lines.
        Invalid{"NegativeBoundaryDiameter",
                with(example_values(), {{"D50", "-1.E-5"}}),
                {kK1, "ETA1fr=       2.070430",
                 std::string("***ОШИБКА ВЫЧИСЛЕНИЙ: DGR/D50<=0, ЛОГАРИФМ НЕПОЛОЖИТЕЛЬНОГО ЧИСЛА***"_cp)}}),
    [](const auto& tp) { return std::string(tp.param.name); });

}  // namespace
