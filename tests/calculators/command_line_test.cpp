// -h, --help and --version as the only argument: an answer on stdout, exit
// code 0, and not a single file created, changed or removed, whether the
// data file is there or not.  Any other argument starting with '-': a usage
// error, exit code 64, and again no file touched.  With other arguments the
// run is the usual one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "programs.h"
#include "run_program.h"
#include "test_files.h"

namespace {

using faults::Program;
using test_support::entries;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;

struct Snapshot {
    std::set<std::string> names;
    std::string data;
    struct timespec mtime{};
};

Snapshot snapshot(const TempDir& dir, const Program& p) {
    Snapshot s;
    s.names = entries(dir.path());
    struct stat st{};
    if (::stat((dir / p.data_file).c_str(), &st) == 0) {
        s.data = read_bytes(dir / p.data_file);
        s.mtime = st.st_mtim;
    }
    return s;
}

RunResult run_in(const TempDir& dir, const Program& p, std::vector<std::string> args) {
    test_support::RunOptions options;
    options.program = p.path;
    options.args = std::move(args);
    options.cwd = dir.path().string();
    return test_support::run_program(options);
}

class InfoOption : public ::testing::TestWithParam<std::tuple<Program, std::string>> {};

TEST_P(InfoOption, AnswersOnStdoutAndTouchesNoFile) {
    const auto& [p, option] = GetParam();
    for (const bool with_data_file : {false, true}) {
        SCOPED_TRACE(with_data_file ? "data file present" : "empty directory");
        TempDir dir;
        if (with_data_file)
            test_support::write_bytes(dir / p.data_file, read_bytes(faults::example_path(p)));
        const Snapshot before = snapshot(dir, p);

        const RunResult r = run_in(dir, p, {option});

        EXPECT_EQ(r.exit_code, test_support::kExitOk);
        EXPECT_EQ(r.err, "");
        if (option == "--version") {
            EXPECT_EQ(r.out, p.name + " " SUITE_VERSION "\n");
        } else {
            // English ASCII with LF line ends.
            EXPECT_TRUE(std::all_of(r.out.begin(), r.out.end(),
                                    [](char c) { return c == '\n' || (c >= ' ' && c <= '~'); }));
            EXPECT_EQ(r.out.substr(0, 7 + p.name.size()), "Usage: " + p.name);
            EXPECT_NE(r.out.find(p.data_file + " in the current directory"), std::string::npos);
            for (const char* code : {"\n  0  ", "\n  1  ", "\n  2  ", "\n  3  "})
                EXPECT_NE(r.out.find(code), std::string::npos) << "exit code line" << code;
            EXPECT_NE(r.out.find(GUIDE_DIR "/" + p.name + ".md\n"), std::string::npos);
        }
        const Snapshot after = snapshot(dir, p);
        EXPECT_EQ(after.names, before.names);
        EXPECT_EQ(after.data, before.data);
        EXPECT_EQ(after.mtime.tv_sec, before.mtime.tv_sec);
        EXPECT_EQ(after.mtime.tv_nsec, before.mtime.tv_nsec);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calculators, InfoOption,
    ::testing::Combine(::testing::ValuesIn(faults::programs()),
                       ::testing::Values("-h", "--help", "--version")),
    [](const auto& param_info) {
        std::string option = std::get<1>(param_info.param);
        std::erase(option, '-');
        return std::get<0>(param_info.param).name + "_" + option;
    });

// Any other argument that starts with '-', wherever it stands, the three
// beside other arguments included: a line naming it and the usage line on
// stderr, exit code 64, nothing created, read or changed.
class Refused : public ::testing::TestWithParam<std::tuple<Program, std::vector<std::string>>> {};

TEST_P(Refused, UsageErrorAndTouchesNoFile) {
    const auto& [p, args] = GetParam();
    std::string refused;
    for (const std::string& a : args)
        if (refused.empty() && a.front() == '-') refused = a;
    for (const bool with_data_file : {false, true}) {
        SCOPED_TRACE(with_data_file ? "data file present" : "empty directory");
        TempDir dir;
        if (with_data_file)
            test_support::write_bytes(dir / p.data_file, read_bytes(faults::example_path(p)));
        const Snapshot before = snapshot(dir, p);

        const RunResult r = run_in(dir, p, args);

        EXPECT_EQ(r.exit_code, 64);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, p.name + ": unknown option " + refused + "\nUsage: " + p.name +
                             " [-h | --help | --version]\n");
        const Snapshot after = snapshot(dir, p);
        EXPECT_EQ(after.names, before.names);
        EXPECT_EQ(after.data, before.data);
        EXPECT_EQ(after.mtime.tv_sec, before.mtime.tv_sec);
        EXPECT_EQ(after.mtime.tv_nsec, before.mtime.tv_nsec);
    }
}

using Args = std::vector<std::string>;

std::string args_name(const std::vector<std::string>& args) {
    std::string name;
    for (const std::string& a : args) {
        name += "_";
        for (const char c : a) name += c == '-' ? 'd' : c == ' ' ? 's' : c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Calculators, Refused,
    ::testing::Combine(::testing::ValuesIn(faults::programs()),
                       ::testing::Values(Args{"-help"}, Args{"-x"}, Args{"--helpx"}, Args{"-"}, Args{"--"},
                                         Args{"--HELP"}, Args{"--help", "extra"}, Args{"--version", "-h"},
                                         Args{"X", "--version"}, Args{"-h", "X"})),
    [](const auto& param_info) {
        return std::get<0>(param_info.param).name + args_name(std::get<1>(param_info.param));
    });

// Arguments that do not start with '-' name the file for the report, as
// they always have.  In an empty directory BILM and KERVA write their blank
// form there; ZARN1 stops after its message.
class OtherArguments : public ::testing::TestWithParam<std::tuple<Program, std::vector<std::string>>> {};

TEST_P(OtherArguments, KeepTheirMeaning) {
    const auto& [p, args] = GetParam();
    TempDir dir;
    const RunResult r = run_in(dir, p, args);
    EXPECT_EQ(r.exit_code, test_support::kExitUnreadable);
    EXPECT_EQ(r.out, faults::console(p.open_failed));
    EXPECT_EQ(r.err, "");
    const std::set<std::string> expected =
        p.asks_for_a_file ? std::set<std::string>{args.front()} : std::set<std::string>{};
    EXPECT_EQ(entries(dir.path()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Calculators, OtherArguments,
    ::testing::Combine(::testing::ValuesIn(faults::programs()),
                       ::testing::Values(Args{"X"}, Args{"report", "Y"}, Args{"a-b"})),
    [](const auto& param_info) {
        return std::get<0>(param_info.param).name + args_name(std::get<1>(param_info.param));
    });

}  // namespace
