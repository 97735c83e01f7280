// ZARN1 as the user runs it: the built program in a scratch directory with
// its data file ZARN1.DAT, checked by the bytes of the data file, of the
// console (standard output) and by the exit code.
//
// The console shows each record without its carriage-control character;
// every record after the first is preceded by CR LF, and the run ends with
// one CR LF when anything was shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fixrec/cp866.h"
#include "run_program.h"
#include "test_files.h"
#include "zarn1_expect.h"

namespace {

namespace fs = std::filesystem;
using namespace fixrec::literals;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunOptions;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

using test_support::kExitInvalidArithmetic;
using test_support::kExitOk;
using test_support::kExitUnreadable;

// Console texts as they show.
const std::string kReadFailed = std::string(zarn1_expect::kReadFailed) + "\r\n";
const std::string kRPZero(zarn1_expect::kRPZero);
const std::string kAnalyticNodes =
    std::string(zarn1_expect::kAnalyticNodes) + "\r\n" + std::string(zarn1_expect::kAnalyticNodesStep);
const std::string kMotionNodes(zarn1_expect::kMotionNodes);
const std::string kFlowTooSmall(zarn1_expect::kFlowTooSmall);

// Values of the input section as typed: reals in columns 42-57, the angles
// in columns 42-52, the two switches in column 47.
struct Input {
    std::string G = "0.05", RK = "0.1", L = "0.1", R1 = "0.03", H = "0.03", FVX = "0.002",
                PSIVX = "90.0", VID = "1", NU = "1.5e-5", RO = "1.2", PVN = "101325.",
                TK = "20.", DRK = "0.002", NVS = "0";
};

std::string pad_right(std::string s, std::size_t width) {
    s.resize(width, ' ');
    return s;
}
std::string pad_left(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::vector<std::string> input_lines(const Input& in) {
    auto real = [](std::string label, const std::string& v) {
        return pad_right(std::move(label), 41) + pad_left(v, 16) + " (typed by hand)";
    };
    auto angle = [](std::string label, const std::string& v) { return pad_right(std::move(label), 41) + pad_left(v, 11); };
    auto digit = [](std::string label, const std::string& v) { return pad_right(std::move(label), 46) + v; };
    return {"Test chamber",
            "",
            "a header line with digits 1.0E+00 and a tab\t",
            "", "", "", "", "", "", "--- values ---",
            real("  mass flow G", in.G),
            real("  chamber radius RK", in.RK),
            real("  chamber height L", in.L),
            real("  outlet radius R1", in.R1),
            real("  outlet height H", in.H),
            real("  swirler area FVX", in.FVX),
            angle("  swirler angle PSIVX", in.PSIVX),
            "  swirler type: 1 lateral, 2 short or end-face",
            digit("  VID", in.VID),
            real("  viscosity NU", in.NU),
            real("  density RO", in.RO),
            real("  outside pressure PVN", in.PVN),
            angle("  wall temperature TK", in.TK),
            real("  step DRK", in.DRK),
            digit("  NVS", in.NVS)};
}

std::string join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s.append(l).append("\r\n");
    return s;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at));
            break;
        }
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

// Columns first..last (1-based) of a line.
std::string columns(const std::string& line, std::size_t first, std::size_t last) {
    if (line.size() < first) return {};
    return line.substr(first - 1, last - first + 1);
}

class Zarn1 : public ::testing::Test {
protected:
    fs::path data() const { return dir_ / "ZARN1.DAT"; }
    RunOptions options() const {
        RunOptions o;
        o.program = ZARN1_PATH;
        o.cwd = dir_.path().string();
        return o;
    }
    RunResult run() const {
        RunResult r = test_support::run_program(options());
        EXPECT_FALSE(r.timed_out);
        EXPECT_EQ(r.term_signal, 0);
        EXPECT_EQ(r.err, "");
        return r;
    }
    // Runs on a typed input and returns the report lines.
    std::vector<std::string> report_of(const Input& in, std::string* console = nullptr) {
        write_bytes(data(), join(input_lines(in)));
        const RunResult r = run();
        EXPECT_EQ(r.exit_code, kExitOk);
        if (console) *console = r.out;
        return split_lines(read_bytes(data()));
    }
    TempDir dir_;
};

// Index of the first row of the V, P table: 53 lines of banner, input and
// integral results, then the table's title and headings (2 lines each).
constexpr std::size_t kFirstRow = 57;

std::string example() { return read_bytes(fs::path(EXAMPLES_DIR) / "ZARN1.DAT"); }

// ---------------------------------------------------------------------------
// The report.

TEST_F(Zarn1, TypedInputGivesTheExampleReport) {
    write_bytes(data(), join(input_lines(Input{})));
    const RunResult r = run();
    EXPECT_EQ(r.exit_code, kExitOk);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_bytes(data()), example());
    EXPECT_EQ(entries(dir_.path()), std::set<std::string>{"ZARN1.DAT"});
}

TEST_F(Zarn1, ReportIsItsOwnInput) {
    for (const char* name : {"ZARN1.DAT", "ZARN1-nvs1.DAT"}) {
        const std::string report = read_bytes(fs::path(EXAMPLES_DIR) / name);
        write_bytes(data(), report);
        for (int round = 1; round <= 2; ++round) {
            const RunResult r = run();
            EXPECT_EQ(r.exit_code, kExitOk) << name;
            EXPECT_EQ(r.out, "") << name;
            EXPECT_EQ(read_bytes(data()), report) << name << " round " << round;
        }
    }
}

TEST_F(Zarn1, IntegralResultsOfTheExampleChamber) {
    // Worked by hand: Q = 0.05/1.2; МА = 0.002/(0.03*PI*0.1); RV = 0.35*R1/sqrt(МА);
    // RP = (0.67 - 0.27/((1/МА)**0.8 - 0.1))*R1; VMAX = VK/(1.4/(RK/RV)).
    const std::vector<std::string> rep = split_lines(example());
    ASSERT_EQ(rep.size(), 145u);
    struct Field {
        std::size_t line;
        std::string text;  // columns 42-57
    };
    const Field fields[] = {
        {30, "      .41667E-01"}, {31, "      .21221E+00"}, {32, "      .31416E+02"},
        {33, "      .26945E+01"}, {34, "     -.66315E+00"}, {35, "     -.22105E+01"},
        {36, "      .14737E+02"}, {37, "      .17687E-01"}, {38, "      .19374E-01"},
        {39, "      .22793E-01"}, {40, "      .65286E+02"}, {41, "      .61492E+02"},
        {42, "      .20833E+02"}, {43, "      .20833E+02"}, {44, "      .10000E+01"},
        {45, "      .13889E+06"}, {48, "      .62705E+04"}, {49, "      .58798E+04"},
        {50, "      .26412E+04"}, {51, "     -.38444E+04"},
    };
    for (const Field& f : fields) EXPECT_EQ(columns(rep[f.line - 1], 42, 57), f.text) << f.line;
    EXPECT_EQ(columns(rep[45], 42, 49), "      16");  // NITA: 0.03/0.002 + 1
    EXPECT_EQ(columns(rep[46], 42, 49), "      51");  // NK: 0.1/0.002 + 1
    // The wall node of the V, P table holds VK and PK.
    EXPECT_EQ(rep[kFirstRow + 50], "        .10000E+00        .20833E+02        .58798E+04");
    // Refinements: N = (К**2*RK*0.0002/L + 1)**-0.5; H/(2*R1) = 0.5 gives the
    // factors 0.65, 0.96667 and 0.9.
    const std::size_t block = kFirstRow + 51 + 6 + 16 + 2;  // first line of the refinement block
    EXPECT_EQ(columns(rep[block + 2], 40, 51), "  .91386E+00");
    EXPECT_EQ(columns(rep[block + 10], 34, 45), " -.24989E+04");
    EXPECT_EQ(columns(rep[block + 11], 34, 45), "  .56838E+04");
    EXPECT_EQ(columns(rep[block + 12], 34, 45), "  .58758E+02");
    EXPECT_EQ(rep.size(), block + 13);
}

TEST_F(Zarn1, InputSectionColumnsOfTheReport) {
    const std::vector<std::string> rep = split_lines(example());
    EXPECT_EQ(rep[0], "        ****************************************************");
    EXPECT_EQ(rep[1], "");
    EXPECT_EQ(columns(rep[2], 21, 50), std::string("           ОРВЕЛАНТ           "_cp));
    EXPECT_EQ(rep[10], std::string("  МАССОВЫЙ РАСХОД ГАЗА                  G      .50000E-01 (кг/сек)"_cp));
    EXPECT_EQ(rep[16], std::string("  УГОЛ НАКЛОНА ЗАВИХРИТ.            PSIVX    90.0000      (град.)"_cp));
    EXPECT_EQ(rep[18], std::string("  2-боковой-меньше 0,5L и торцевой)   VID     1"_cp));
    EXPECT_EQ(rep[21], std::string("  ДАВЛЕНИЕ ВНЕШНЕЙ СРЕДЫ              PVN      .10133E+06 (Па)"_cp));
    EXPECT_EQ(rep[24], std::string("  РЕШЕНИЕ УР-ИЙ НАВЬЕ СТОКСА дляV и P NVS     0"_cp));
    for (std::size_t i : {10u, 11u, 12u, 13u, 14u, 15u, 19u, 20u, 21u, 23u}) {
        EXPECT_EQ(rep[i][47], '.') << i;  // E16.5: the point in column 48
        EXPECT_EQ(rep[i][53], 'E') << i;  // the exponent in columns 54-57
        EXPECT_EQ(rep[i][57], ' ') << i;  // then the unit text
    }
}

TEST_F(Zarn1, ProfileTablesShowTheNodeRadii) {
    Input in;
    in.DRK = "0.01";
    const std::vector<std::string> rep = report_of(in);
    // 11 nodes on 0..RK, 4 on 0..R1 (0.03 + 0.4*0.01 admits the node at 0.03).
    EXPECT_EQ(columns(rep[45], 47, 49), "  4");
    EXPECT_EQ(columns(rep[46], 47, 49), " 11");
    EXPECT_EQ(columns(rep[kFirstRow], 1, 18), "        .00000E+00");
    EXPECT_EQ(columns(rep[kFirstRow + 10], 1, 18), "        .10000E+00");
    EXPECT_EQ(rep[kFirstRow + 11], "");
    const std::size_t uw = kFirstRow + 11 + 6;
    EXPECT_EQ(columns(rep[uw], 1, 36), "        .00000E+00        .00000E+00");
    EXPECT_EQ(columns(rep[uw + 3], 1, 36), "        .30000E-01       -.22105E+01");  // U = U1 at R1
    EXPECT_EQ(rep.size(), uw + 4 + 2 + 13);
}

TEST_F(Zarn1, SwitchesAreReadFromColumn47Only) {
    Input in;
    in.NVS = "07";  // column 47 holds 0, column 48 is not read
    std::vector<std::string> typed = input_lines(in);
    typed[24] = pad_right("  NVS", 45) + "07";
    write_bytes(data(), join(typed));
    EXPECT_EQ(run().exit_code, kExitOk);
    EXPECT_EQ(columns(split_lines(read_bytes(data()))[24], 47, 47), "7");
}

// ---------------------------------------------------------------------------
// Messages of the computation.

TEST_F(Zarn1, StrongSwirlHasNoZeroPressureRadius) {
    Input in;
    in.FVX = "0.0236";  // МА = 2.5, 1/МА below 0.42
    std::string console;
    const std::vector<std::string> rep = report_of(in, &console);
    EXPECT_EQ(console, kRPZero + "\r\n");
    EXPECT_EQ(columns(rep[36], 42, 57), "      .00000E+00");
}

TEST_F(Zarn1, MoreThan400NodesCutTheAnalyticProfile) {
    Input in;
    in.DRK = "0.0002";  // 501 nodes would be needed
    std::string console;
    const std::vector<std::string> rep = report_of(in, &console);
    EXPECT_EQ(console, kAnalyticNodes + "\r\n");
    EXPECT_EQ(columns(rep[46], 47, 49), "400");
    EXPECT_EQ(columns(rep[45], 47, 49), "151");
    EXPECT_EQ(columns(rep[kFirstRow + 399], 1, 18), "        .79800E-01");
}

TEST_F(Zarn1, MoreThan400NodesCutTheSolution) {
    Input in;
    in.DRK = "0.0002";
    in.NVS = "1";
    std::string console;
    report_of(in, &console);
    EXPECT_EQ(console, kMotionNodes + "\r\n");
}

TEST_F(Zarn1, WeakFlowLeavesTheVPTableEmpty) {
    Input in;
    in.G = "0.00002";  // F2 = Q/(2*PI*L*NU) = 1.77
    in.NVS = "1";
    std::string console;
    const std::vector<std::string> rep = report_of(in, &console);
    EXPECT_EQ(console, kFlowTooSmall + "\r\n");
    EXPECT_EQ(columns(rep[46], 47, 49), "  0");
    EXPECT_EQ(columns(rep[40], 42, 57), "      .00000E+00");  // V1
    // Headings of the V, P table, its two empty lines, then the U, W table.
    EXPECT_EQ(rep[kFirstRow], "");
    EXPECT_EQ(rep[kFirstRow + 1], "");
    EXPECT_EQ(columns(rep[kFirstRow + 6], 1, 18), "        .00000E+00");
    // The report ends with the U, W table and its two empty lines.
    EXPECT_EQ(rep.size(), kFirstRow + 6 + 16 + 2);
    EXPECT_EQ(rep.back(), "");
}

TEST_F(Zarn1, SolutionsEndTheReportAfterTheUWTable) {
    for (const char* nvs : {"1", "2", "5"}) {
        Input in;
        in.NVS = nvs;
        const std::vector<std::string> rep = report_of(in);
        EXPECT_EQ(rep.size(), kFirstRow + 51 + 6 + 16 + 2) << nvs;
    }
}

TEST_F(Zarn1, WeakSwirlWithoutCounterflowIsComputed) {
    // КS = 0: the whole core has P = 0; RP is the outer of the zero nodes.
    Input in;
    in.PSIVX = "1.0";
    in.NVS = "2";
    const std::vector<std::string> rep = report_of(in);
    const std::string rp = columns(rep[36], 42, 57);
    EXPECT_EQ(rp.find('#'), std::string::npos) << rp;
    EXPECT_EQ(rp.find('*'), std::string::npos) << rp;
}

// ---------------------------------------------------------------------------
// Failures: the data file is the user's only copy of the input.  What the
// file system does to the data file (missing, unreadable, removed before the
// report) is the fault matrix's (tests/faults), for the three programs.

TEST_F(Zarn1, UnreadableInputSectionLeavesTheFileAsItWas) {
    std::vector<std::string> short_file = input_lines(Input{});
    short_file.pop_back();  // 24 lines
    std::vector<std::string> bad_field = input_lines(Input{});
    bad_field[12] = pad_right("  L", 41) + "      one metre ";
    for (const auto& content : {join(short_file), join(bad_field)}) {
        write_bytes(data(), content);
        const RunResult r = run();
        EXPECT_EQ(r.exit_code, kExitUnreadable);
        EXPECT_EQ(r.out, kReadFailed);
        EXPECT_EQ(read_bytes(data()), content);
    }
}

// An input that makes the computation invalid ends the run where its first
// invalid operation would stand: every console line of the steps before that
// operation comes first, then the failure line; the data file is untouched.
TEST_F(Zarn1, InvalidArithmeticStopsAtItsFirstInvalidOperation) {
    using Values = std::initializer_list<std::pair<std::string Input::*, const char*>>;
    struct Case {
        Input in;
        std::vector<std::string> before;  // console records before the failure line
        std::string_view message;
    };
    auto with = [](Values values) {
        Input in;
        for (const auto& [field, value] : values) in.*field = value;
        return in;
    };
    const std::string_view kDRK = "***ОШИБКА ВЫЧИСЛЕНИЙ: DRK<=0, НУЖНО ЗАДАТЬ ШАГ DRK>0***"_cp;
    const std::string_view kMA = "***ОШИБКА ВЫЧИСЛЕНИЙ: МА<0, ПРОВЕРЬТЕ FVX, PSIVX, R1, RK***"_cp;
    const char* kStrongSwirl = "0.0236";  // МА = 2.5: 1/МА below 0.42, RP = 0 with its message
    const char* kWeakFlow = "0.00002";    // F2 = 1.77
    const Case cases[] = {
        {with({{&Input::RO, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: RO=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::RK, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: RK=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::R1, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: R1=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::L, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: L=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        // A zero FVX makes МА = 0 harmlessly; 1/МА (or VWX with NVS = 1) divides
        // by it, after the radial velocities divide by L.
        {with({{&Input::FVX, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: FVX=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::FVX, "0."}, {&Input::NVS, "1"}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: FVX=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::FVX, "0."}, {&Input::L, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: L=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::NU, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: NU=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::G, "0."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: G=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::G, "0."}, {&Input::FVX, kStrongSwirl}}), {kRPZero},
         "***ОШИБКА ВЫЧИСЛЕНИЙ: G=0, ДЕЛЕНИЕ НА НОЛЬ***"_cp},
        {with({{&Input::PSIVX, "180."}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: PSIVX КРАТЕН 180, ЗАКРУТКИ НА ВХОДЕ НЕТ***"_cp},
        {with({{&Input::PSIVX, "-360."}, {&Input::NVS, "1"}}), {},
         "***ОШИБКА ВЫЧИСЛЕНИЙ: PSIVX КРАТЕН 180, ЗАКРУТКИ НА ВХОДЕ НЕТ***"_cp},
        // A negative МА first fails in the root М: the RP estimate (not with
        // NVS = 1) and the analytic profiles (NVS = 0) still run before it.
        {with({{&Input::FVX, "-0.002"}}), {kRPZero}, kMA},
        {with({{&Input::FVX, "-0.002"}, {&Input::DRK, "0.0002"}}), {kRPZero, kAnalyticNodes}, kMA},
        {with({{&Input::PSIVX, "-90."}, {&Input::NVS, "1"}}), {}, kMA},
        {with({{&Input::R1, "-0.03"}, {&Input::NVS, "2"}}), {kRPZero}, kMA},
        // DRK is refused where a grid begins: the analytic profiles, the node
        // stage of the solution (after its F2 test), or PROFUW when F2 <= 2.
        {with({{&Input::DRK, "-0.002"}}), {}, kDRK},
        {with({{&Input::DRK, "0."}, {&Input::NVS, "2"}}), {}, kDRK},
        {with({{&Input::DRK, "0."}, {&Input::NVS, "1"}, {&Input::G, kWeakFlow}}), {kFlowTooSmall}, kDRK},
        {with({{&Input::DRK, "-0.002"}, {&Input::NVS, "2"}, {&Input::G, kWeakFlow}}), {kFlowTooSmall}, kDRK},
        {with({{&Input::DRK, "0."}, {&Input::NVS, "2"}, {&Input::G, kWeakFlow}, {&Input::FVX, kStrongSwirl}}),
         {kRPZero, kFlowTooSmall}, kDRK},
        {with({{&Input::FVX, "0.00000102"}}), {},
         "***ОШИБКА ВЫЧИСЛЕНИЙ: М НЕ ОПРЕДЕЛЕН ПРИ ЭТОМ МА, ПРОВЕРЬТЕ FVX***"_cp},
        // 1/МА = 0.42016, just above 0.42: a negative RP, squared by a real power.
        {with({{&Input::FVX, "0.022431"}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: RP<0, СТЕПЕНЬ ОТРИЦАТЕЛЬНОГО ЧИСЛА***"_cp},
        {with({{&Input::G, "1.E38"}}), {}, "***ОШИБКА ВЫЧИСЛЕНИЙ: ПЕРЕПОЛНЕНИЕ, ПРОВЕРЬТЕ ВХОДНЫЕ ДАННЫЕ***"_cp},
    };
    for (const Case& c : cases) {
        const std::string content = join(input_lines(c.in));
        write_bytes(data(), content);
        const RunResult r = run();
        std::string expected;
        for (const std::string& line : c.before) expected += line + "\r\n";
        expected += std::string(c.message) + "\r\n";
        EXPECT_EQ(r.exit_code, kExitInvalidArithmetic) << c.message;
        EXPECT_EQ(r.out, expected);
        EXPECT_EQ(read_bytes(data()), content);
    }
}

TEST_F(Zarn1, NegativeRPWithoutThePowerLawIsReported) {
    // The same estimate with NVS = 2 is replaced by the solution's crossing.
    Input in;
    in.FVX = "0.022431";
    in.NVS = std::string(1, '2');
    std::string console;
    report_of(in, &console);
    EXPECT_EQ(console, "");
}

}  // namespace
