// swirl sweep and swirl plot, built, on data files in scratch directories:
// every row of a sweep against the program run on a data file holding that
// row's inputs, shards against the whole, the refusals, the progress line on
// a terminal and its absence in a pipe, and the pictures.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "run_program.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/csv.h"
#include "swirl/core/numbers.h"
#include "swirl/model/model.h"
#include "terminal_run.h"
#include "test_files.h"
#include "well_formed_xml.h"

namespace swirl {
namespace {

namespace fs = std::filesystem;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

const std::map<std::string, std::string, std::less<>> kProgramPaths = {
    {"BILM", BILM_PATH}, {"KERVA", KERVA_PATH}, {"ZARN1", ZARN1_PATH}};

// A study of each program whose cases are valid, invalid, and (where the
// program has them) valid with console lines.
const std::map<std::string, std::vector<std::string>, std::less<>> kStudies = {
    {"BILM", {"Q=0.00002:0.002:4:log", "R1=-0.01:0.02:4"}},
    {"KERVA", {"ROP=0:1.2:3", "NI=1:3:2", "D50=0.000001:0.001:3:log"}},
    {"ZARN1", {"R1=0:0.05:3", "DRK=0.0002:0.002:2", "NVS=0:1:2"}},
};

RunResult swirl(const TempDir& dir, std::vector<std::string> args) {
    test_support::RunOptions o;
    o.program = SWIRL_PATH;
    o.cwd = dir.path().string();
    o.args = std::move(args);
    o.timeout = std::chrono::milliseconds(60000);
    return test_support::run_program(o);
}

std::vector<Value> inputs_of_row(const Calculator& calc, const std::vector<std::string>& row) {
    std::vector<Value> v(calc.inputs.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        const double d = std::strtod(row[i].c_str(), nullptr);
        if (calc.inputs[i].type == calculators::ValueType::Integer)
            v[i].integer = static_cast<std::int32_t>(d);
        else
            v[i].real = static_cast<float>(d);
    }
    return v;
}

std::string replaced(std::string s, std::string_view from, std::string_view to) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
    return s;
}

TEST(Sweep, EveryRowIsTheProgramRunOnADataFileHoldingItsInputs) {
    for (const Calculator* calc : programs()) {
        SCOPED_TRACE(calc->name);
        const auto study = kStudies.find(calc->name);
        ASSERT_NE(study, kStudies.end()) << "no study of " << calc->name << " here";
        TempDir dir;
        const std::string base_name = std::string(calc->name) + "-base.dat";
        write_bytes(dir / base_name, calc->example);
        std::vector<std::string> args = {"sweep", base_name, "-o", "rows.csv", "--jobs", "2"};
        for (const std::string& g : study->second) args.insert(args.end(), {"--vary", g});
        const RunResult r = swirl(dir, args);
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(read_bytes(dir / base_name), calc->example);  // FILE is never written
        const CsvTable table = read_csv(read_bytes(dir / "rows.csv"));
        const std::size_t n_in = calc->inputs.size(), n_out = calc->results.size();
        ASSERT_EQ(table.columns.size(), n_in + n_out + 3 + calc->verdicts.size());
        std::map<std::string, int> statuses;
        calculators::Outcome outcome;
        for (const auto& row : table.rows) {
            const std::string& status = row[n_in + n_out];
            const std::string& reason = row[n_in + n_out + 1];
            const std::string& messages = row[n_in + n_out + 2];
            ++statuses[status + (messages.empty() ? "" : " with messages")];
            // The data file as `swirl set` leaves it with each value typed in.
            std::string bytes(calc->example);
            const std::vector<Value> inputs = inputs_of_row(*calc, row);
            for (std::size_t i = 0; i < n_in; ++i)
                bytes = put_field(bytes, calc->inputs[i], hold(calc->inputs[i], std::strtod(row[i].c_str(), nullptr)));
            TempDir run_dir;
            const fs::path file = run_dir / std::string(calc->data_file);
            write_bytes(file, bytes);
            test_support::RunOptions o;
            o.program = kProgramPaths.at(std::string(calc->name));
            o.cwd = run_dir.path().string();
            const RunResult program = test_support::run_program(o);
            SCOPED_TRACE(row[0] + "," + row[1] + "," + row[2]);

            std::string console = messages.empty() ? "" : replaced(messages, " | ", "\r\n") + "\r\n";
            if (!reason.empty()) console += reason + "\r\n";
            EXPECT_EQ(to_utf8(program.out), console);
            calc->compute(inputs, false, outcome);
            if (status == "ok") {
                EXPECT_EQ(program.exit_code, 0);
                std::string report;
                ASSERT_TRUE(calc->report(inputs, report));
                EXPECT_EQ(read_bytes(file), report);
                for (std::size_t k = 0; k < n_out; ++k) {
                    std::string cell;
                    if (!outcome.computed[k])
                        cell.clear();  // no number, not the report's zero
                    else if (calc->results[k].type == calculators::ValueType::Integer)
                        cell = std::to_string(outcome.results[k].integer);
                    else
                        cell = shortest(outcome.results[k].real);
                    EXPECT_EQ(row[n_in + k], cell) << calc->results[k].name;
                }
                for (std::size_t v = 0; v < calc->verdicts.size(); ++v)
                    EXPECT_EQ(row[n_in + n_out + 3 + v], to_utf8(outcome.verdicts[v])) << calc->verdicts[v].name;
            } else {
                EXPECT_EQ(status, "invalid");
                EXPECT_EQ(program.exit_code, 3);
                EXPECT_EQ(read_bytes(file), bytes);
                for (std::size_t k = 0; k < n_out; ++k) EXPECT_EQ(row[n_in + k], "");
                for (std::size_t v = 0; v < calc->verdicts.size(); ++v) EXPECT_EQ(row[n_in + n_out + 3 + v], "");
            }
        }
        EXPECT_GT(statuses["ok"] + statuses["ok with messages"], 0);
        EXPECT_GT(statuses["invalid"] + statuses["invalid with messages"], 0);
    }
}

TEST(Sweep, ShardsConcatenateToTheWhole) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    const std::vector<std::string> grid = {"sweep", "BILM.DAT", "--vary", "UPOD=0.01:1:7:log", "--vary",
                                           "Q=0.0001:0.01:11"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> a = grid;
        a.insert(a.end(), more.begin(), more.end());
        return a;
    };
    const RunResult whole = swirl(dir, with({"--jobs", "1"}));
    ASSERT_EQ(whole.exit_code, 0) << whole.err;
    const std::size_t header_end = whole.out.find("\r\n") + 2;
    std::string rows;
    for (const char* shard : {"1/4", "2/4", "3/4", "4/4"}) {
        const RunResult part = swirl(dir, with({"--shard", shard, "--jobs", "2"}));
        ASSERT_EQ(part.exit_code, 0) << part.err;
        EXPECT_EQ(part.out.substr(0, header_end), whole.out.substr(0, header_end));
        rows += part.out.substr(header_end);
    }
    EXPECT_EQ(rows, whole.out.substr(header_end));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 77);
}

TEST(Sweep, RefusedCommandLinesWriteNothing) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    const struct {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"--vary", "QQ=1:2:2"}, 64},
        {{"--vary", "HO=1:2:2"}, 64},
        {{"--vary", "Q=1:2:0"}, 64},
        {{"--vary", "Q=0:1:3:log"}, 64},
        {{"--vary", "Q=1e39:1:2"}, 64},
        {{"--vary", "Q=1:2"}, 64},
        {{}, 64},
        {{"--vary", "Q=1:2:2", "--shard", "0/3"}, 64},
        {{"--vary", "Q=1:2:2", "--shard", "4/3"}, 64},
        {{"--vary", "Q=1:2:2", "--jobs", "0"}, 64},
        {{"--vary", "Q=1:2:2", "--program", "FUNNEL"}, 64},
        {{"--vary", "Q=1:2:2", "--bogus"}, 64},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"sweep", "BILM.DAT", "-o", "out.csv"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = swirl(dir, args);
        const std::string line = c.args.empty() ? "(no grid)" : c.args.back();
        EXPECT_EQ(r.exit_code, c.code) << line << ": " << r.err;
        EXPECT_EQ(r.out, "") << line;
        EXPECT_EQ(test_support::entries(dir.path()), std::set<std::string>{"BILM.DAT"}) << line;
    }
    // A table beyond the file-size limit: exit 1, the old table as it was, no
    // scratch file left behind.
    write_bytes(dir / "out.csv", "old\r\n");
    test_support::RunOptions limited;
    limited.program = SWIRL_PATH;
    limited.cwd = dir.path().string();
    limited.args = {"sweep", "BILM.DAT", "--vary", "Q=1:2:1000", "-o", "out.csv"};
    limited.file_size_limit = 4096;
    const RunResult too_big = test_support::run_program(limited);
    EXPECT_EQ(too_big.exit_code, 1) << too_big.err;
    EXPECT_EQ(too_big.err, "swirl: cannot write out.csv: File too large\n");
    EXPECT_EQ(read_bytes(dir / "out.csv"), "old\r\n");
    EXPECT_EQ(test_support::entries(dir.path()), (std::set<std::string>{"BILM.DAT", "out.csv"}));
    fs::remove(dir / "out.csv");
    // The data file is never the output; a missing or unreadable one is exit 2.
    EXPECT_EQ(swirl(dir, {"sweep", "BILM.DAT", "--vary", "Q=1:2:2", "-o", "./BILM.DAT"}).exit_code, 64);
    EXPECT_EQ(read_bytes(dir / "BILM.DAT"), find_program("BILM")->example);
    EXPECT_EQ(swirl(dir, {"sweep", "NONE.DAT", "--program", "BILM", "--vary", "Q=1:2:2"}).exit_code, 2);
    std::string bad(find_program("BILM")->example);
    bad.replace(bad.find(".10000E-02"), 10, "    1O.5  ");
    write_bytes(dir / "BILM-bad.DAT", bad);
    const RunResult r = swirl(dir, {"sweep", "BILM-bad.DAT", "--vary", "HG=1:2:2"});
    EXPECT_EQ(r.exit_code, 2);
    // The same words as show, set and edit use for a file that does not read.
    EXPECT_EQ(r.err, "swirl: BILM-bad.DAT: the input section of BILM does not read: line 7, column 39: "
                     "Q (columns 39-50) is not a number: \"      1O.5  \"\n");
}

TEST(Sweep, ProgressLineOnATerminalOnly) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    // About a second of work on one core, so that the line is drawn.
    const std::vector<std::string> args = {"sweep", "BILM.DAT", "--vary", "Q=0.0001:0.01:1000", "--vary",
                                           "UPOD=0.01:1:1000", "--jobs", "1", "-o", "/dev/null"};
    test_support::TerminalRun run{SWIRL_PATH, args, dir.path().string(), {}, test_support::To::Pipe,
                                  test_support::To::Terminal, ""};
    run.timeout = std::chrono::seconds(120);
    const test_support::TerminalResult shown = test_support::run_on_terminal(run);
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_NE(shown.terminal.find("/1000000 cases  "), std::string::npos) << shown.terminal;
    EXPECT_EQ(shown.terminal.front(), '\r');
    // Erased at the end: blanks over the last line, the cursor at its start.
    const std::size_t last = shown.terminal.rfind('\r', shown.terminal.size() - 2);
    EXPECT_EQ(shown.terminal.back(), '\r');
    EXPECT_EQ(shown.terminal.find_first_not_of(' ', last + 1), shown.terminal.size() - 1);

    run.args.push_back("--no-progress");
    EXPECT_EQ(test_support::run_on_terminal(run).terminal, "");
    // The table itself on the terminal: no line among its rows (300,000
    // rows take longer than the first redraw through a terminal).
    test_support::TerminalRun table{SWIRL_PATH,
                                    {"sweep", "BILM.DAT", "--vary", "Q=0.0001:0.01:300", "--vary", "UPOD=0.01:1:1000"},
                                    dir.path().string(), {}, test_support::To::Terminal, test_support::To::Terminal, ""};
    table.timeout = std::chrono::seconds(120);
    const test_support::TerminalResult rows = test_support::run_on_terminal(table);
    EXPECT_EQ(rows.exit_code, 0);
    EXPECT_EQ(rows.terminal.rfind("Q,HG,R1,RCR,UPOD,", 0), 0u);
    EXPECT_EQ(rows.terminal.find(" cases"), std::string::npos);
    const RunResult piped = swirl(dir, args);
    EXPECT_EQ(piped.exit_code, 0);
    EXPECT_EQ(piped.err, "");
}

// ---------------------------------------------------------------------------
// Pictures.

std::size_t count(const std::string& s, const std::string& what) {
    std::size_t n = 0;
    for (auto i = s.find(what); i != std::string::npos; i = s.find(what, i + 1)) ++n;
    return n;
}

TEST(Plot, ASweepWithGapsAndTheRefusals) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    // UPOD through zero: RCR*UPOD <= 0 makes the first five cases invalid.
    ASSERT_EQ(swirl(dir, {"sweep", "BILM.DAT", "--vary", "UPOD=-0.2:0.2:9", "-o", "s.csv"}).exit_code, 0);
    ASSERT_EQ(swirl(dir, {"sweep", "BILM.DAT", "--vary", "UPOD=-0.2:0:3", "-o", "none-valid.csv"}).exit_code, 0);
    const RunResult r = swirl(dir, {"plot", "s.csv", "--x", "UPOD", "--y", "HO,VMAX", "-o", "s.svg"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string svg = read_bytes(dir / "s.svg");
    // Each curve is drawn through the four valid cases only.
    EXPECT_EQ(count(svg, "<polyline"), 2u);
    for (auto at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1)) {
        const auto points = svg.find("points=\"", at) + 8;
        EXPECT_EQ(count(svg.substr(points, svg.find('"', points) - points), ","), 4u);
    }
    EXPECT_NE(svg.find("HO (м)"), std::string::npos);
    EXPECT_NE(svg.find("VMAX (м/с)"), std::string::npos);
    test_support::expect_well_formed_xml(dir / "s.svg");

    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{"plot", "BILM.DAT", "-o", "p.svg"}, 64, "BILM computes no profiles to plot; plot a sweep"},
        {{"plot", "s.csv", "-o", "p.svg"}, 64, "s.csv is a sweep's table: name the columns"},
        {{"plot", "s.csv", "--x", "UPOD", "-o", "p.svg"}, 64, "needs both --x and --y"},
        {{"plot", "s.csv", "--x", "UPOD", "--y", "H0", "-o", "p.svg"}, 64, "no column H0"},
        {{"plot", "none-valid.csv", "--x", "UPOD", "--y", "HO", "-o", "p.svg"}, 64, "nothing to draw"},
        {{"plot", "none.csv", "--x", "UPOD", "--y", "HO", "-o", "p.svg"}, 2, "cannot open none.csv"},
        {{"plot", ".", "--x", "UPOD", "--y", "HO", "-o", "p.svg"}, 2, "cannot read .: Is a directory"},
        // The picture never replaces what it is drawn from, however it is spelt.
        {{"plot", "s.csv", "--x", "UPOD", "--y", "HO", "-o", "./s.csv"}, 64, "s.csv itself"},
        {{"plot", "BILM.DAT", "--program", "zarn1", "-o", "../" + dir.path().filename().string() + "/BILM.DAT"},
         64, "BILM.DAT itself"},
    };
    for (const auto& c : cases) {
        const RunResult e = swirl(dir, c.args);
        EXPECT_EQ(e.exit_code, c.code) << e.err;
        EXPECT_NE(e.err.find(c.message), std::string::npos) << e.err;
        EXPECT_FALSE(fs::exists(dir / "p.svg")) << c.message;
    }
    EXPECT_TRUE(read_bytes(dir / "s.csv").starts_with("Q,HG,"));
    EXPECT_EQ(read_bytes(dir / "BILM.DAT"), find_program("BILM")->example);
}

// A result that a case's path does not compute is no number wherever swirl
// shows it: null in show --json, "not computed" in show, an empty cell in the
// sweep's table, and a gap in the plot.  KERVA over D50 goes from the
// Stokes regime alone (no ETA2, no ETA) through both regimes to the
// quadratic regime alone (no ETA1, no ETA).
TEST(NotComputed, IsNullEmptyAndAGapEverywhere) {
    TempDir dir;
    const Calculator& kerva = *find_program("KERVA");
    write_bytes(dir / "KERVA.DAT", kerva.example);
    ASSERT_EQ(swirl(dir, {"set", "KERVA.DAT", "L=0.3"}).exit_code, 0);
    ASSERT_EQ(swirl(dir, {"sweep", "KERVA.DAT", "--vary", "D50=0.00001:0.001:13:log", "-o", "g.csv"}).exit_code, 0);
    const CsvTable table = read_csv(read_bytes(dir / "g.csv"));
    const auto column = [&](std::string_view name) {
        return static_cast<std::size_t>(std::find(table.columns.begin(), table.columns.end(), name) -
                                         table.columns.begin());
    };
    const std::size_t eta1 = column("ETA1"), eta2 = column("ETA2"), eta = column("ETA"), regimes = column("regimes");
    ASSERT_LT(regimes, table.columns.size());
    std::map<std::string, int> seen;  // the pattern of empty cells of each row
    for (const auto& row : table.rows) {
        ASSERT_EQ(row[column("status")], "ok");
        const std::string pattern = std::string(row[eta1].empty() ? "-" : "1") + (row[eta2].empty() ? "-" : "2") +
                                    (row[eta].empty() ? "-" : "i");
        ++seen[pattern];
        EXPECT_FALSE(row[regimes].empty());
    }
    // Every path once at least, and nothing else.
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_GT(seen["-2-"], 0);
    EXPECT_GT(seen["12i"], 0);
    EXPECT_GT(seen["1--"], 0);

    // The plot: ETA drawn only where the regimes meet, so one polyline of as
    // many points as the table has ETA cells.
    const RunResult plot = swirl(dir, {"plot", "g.csv", "--x", "D50", "--y", "ETA", "--logx", "-o", "g.svg"});
    ASSERT_EQ(plot.exit_code, 0) << plot.err;
    const std::string svg = read_bytes(dir / "g.svg");
    EXPECT_EQ(count(svg, "<polyline"), seen["12i"] > 1 ? 1u : 0u);
    const auto points = svg.find("points=\"", svg.find("<polyline")) + 8;
    EXPECT_EQ(count(svg.substr(points, svg.find('"', points) - points), ","), static_cast<std::size_t>(seen["12i"]));

    // show of the last case (the quadratic regime alone).
    ASSERT_EQ(swirl(dir, {"set", "KERVA.DAT", "D50=0.001"}).exit_code, 0);
    const RunResult json = swirl(dir, {"show", "KERVA.DAT", "--json"});
    ASSERT_EQ(json.exit_code, 0) << json.err;
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    for (const nlohmann::json& r : doc["results"]) {
        const bool computed = r["name"] != "ETA1" && r["name"] != "KSC" && r["name"] != "ETA" &&
                              r["name"] != "ETA1FR" && r["name"] != "ETAM";
        EXPECT_EQ(r["computed"], computed) << r["name"];
        EXPECT_EQ(r["value"].is_null(), !computed) << r["name"];
        EXPECT_EQ(r["printed"].is_null(), !computed) << r["name"];
    }
    const RunResult text = swirl(dir, {"show", "KERVA.DAT"});
    EXPECT_NE(text.out.find("\nETA1    not computed  %"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nanswer: "), std::string::npos) << text.out;
}

// A profile cut at 400 nodes says so in the picture and on standard error.
TEST(Plot, AProfileCutAt400NodesSaysSo) {
    TempDir dir;
    write_bytes(dir / "ZARN1.DAT", find_program("ZARN1")->example);
    ASSERT_EQ(swirl(dir, {"set", "ZARN1.DAT", "DRK=0.0002"}).exit_code, 0);
    const RunResult r = swirl(dir, {"plot", "ZARN1.DAT", "-o", "cut.svg"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string words = "ЧИСЛО УЗЛОВ БОЛЬШЕ 400; НУЖНО УВЕЛИЧИТЬ DRK";
    EXPECT_NE(r.err.find("swirl: ZARN1.DAT: the V and P profiles stop at 400 nodes short of the wall: " + words),
              std::string::npos)
        << r.err;
    EXPECT_NE(read_bytes(dir / "cut.svg").find(words + "</text>"), std::string::npos);
}

TEST(Plot, TheProfilesOfAZarn1Run) {
    TempDir dir;
    std::string example(find_program("ZARN1")->example);
    write_bytes(dir / "chamber.dat", example);
    const RunResult r = swirl(dir, {"plot", "chamber.dat", "--program", "zarn1", "-o", "profiles.svg"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string svg = read_bytes(dir / "profiles.svg");
    EXPECT_EQ(count(svg, "<polyline"), 4u);  // V, P; U, W
    for (const char* text :
         {">V (м/сек)<", ">P (Па)<", ">U (м/сек)<", ">W (м/сек)<", ">r (м)<", ">R1<", ">RV<", ">RP<", ">RK<"})
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    test_support::expect_well_formed_xml(dir / "profiles.svg");
    // Inputs that make the computation invalid: its line, exit 3, no picture.
    example.replace(example.find(".30000E-01"), 10, ".00000E+00");  // R1
    write_bytes(dir / "ZARN1-r0.DAT", example);
    const RunResult invalid = swirl(dir, {"plot", "ZARN1-r0.DAT", "-o", "r0.svg"});
    EXPECT_EQ(invalid.exit_code, 3);
    EXPECT_EQ(invalid.err, "swirl: ZARN1-r0.DAT: ***ОШИБКА ВЫЧИСЛЕНИЙ: R1=0, ДЕЛЕНИЕ НА НОЛЬ***\n");
    EXPECT_FALSE(fs::exists(dir / "r0.svg"));
}

}  // namespace
}  // namespace swirl
