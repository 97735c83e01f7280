// swirl merge, built, on shards written by swirl sweep in scratch
// directories: the merged table is the unsharded sweep's byte for byte for
// several shard counts and any order of the parts; a missing, repeated,
// truncated, changed or foreign part, or one without its manifest, is
// refused with exit code 64, naming it, and nothing is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "run_program.h"
#include "swirl/model/model.h"
#include "test_files.h"

namespace swirl {
namespace {

namespace fs = std::filesystem;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

RunResult run_swirl(const TempDir& dir, std::vector<std::string> args) {
    test_support::RunOptions o;
    o.program = SWIRL_PATH;
    o.cwd = dir.path().string();
    o.args = std::move(args);
    o.timeout = std::chrono::milliseconds(60000);
    return test_support::run_program(o);
}

// 21 cases of BILM, invalid ones among them.
const std::vector<std::string> kGrids = {"--vary", "R1=-0.01:0.02:3", "--vary", "Q=0.00001:0.01:7:log"};

std::vector<std::string> sweep_args(const std::string& file, std::vector<std::string> more,
                                    const std::vector<std::string>& grids = kGrids) {
    std::vector<std::string> a = {"sweep", file, "--no-progress"};
    a.insert(a.end(), grids.begin(), grids.end());
    a.insert(a.end(), more.begin(), more.end());
    return a;
}

// Shard k/n of the sweep into `name` (and its manifest).
void shard(const TempDir& dir, std::int64_t k, std::int64_t n, const std::string& name,
           const std::string& file = "BILM.DAT", const std::vector<std::string>& grids = kGrids) {
    const RunResult r = run_swirl(
        dir, sweep_args(file, {"--shard", std::to_string(k) + "/" + std::to_string(n), "-o", name}, grids));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    ASSERT_EQ(r.err, "");
}

std::string part_name(std::int64_t k) { return std::string("part-").append(std::to_string(k)).append(".csv"); }

TEST(Merge, TheMergedTableIsTheUnshardedSweepForAnyShardCountAndOrder) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    ASSERT_EQ(run_swirl(dir, sweep_args("BILM.DAT", {"-o", "whole.csv"})).exit_code, 0);
    ASSERT_FALSE(fs::exists(dir / "whole.csv.json")) << "a sweep without --shard writes no manifest";
    const std::string whole = read_bytes(dir / "whole.csv");
    for (const std::int64_t n : {1, 2, 5, 21, 25}) {  // 25: the last four shards hold no row
        SCOPED_TRACE(n);
        std::vector<std::string> args = {"merge"};
        for (std::int64_t k = n; k >= 1; --k) {
            shard(dir, k, n, part_name(k));
            ASSERT_TRUE(fs::exists(dir / (part_name(k) + ".json")));
            args.push_back(part_name(k));
        }
        const RunResult to_stdout = run_swirl(dir, args);
        EXPECT_EQ(to_stdout.exit_code, 0) << to_stdout.err;
        EXPECT_EQ(to_stdout.out, whole);
        args.insert(args.end(), {"-o", "all.csv"});
        const RunResult to_file = run_swirl(dir, args);
        EXPECT_EQ(to_file.exit_code, 0) << to_file.err;
        EXPECT_EQ(to_file.out + to_file.err, "");
        EXPECT_EQ(read_bytes(dir / "all.csv"), whole);
        for (std::int64_t k = 1; k <= n; ++k) {
            fs::remove(dir / part_name(k));
            fs::remove(dir / (part_name(k) + ".json"));
        }
        fs::remove(dir / "all.csv");
    }
}

// A sample's shards and a case list's come back together the same way; a
// shard of another seed, or of another case list, is another study.
TEST(Merge, SamplesAndCaseListsMergeAndTheirShardsOfAnotherSeedOrListAreRefused) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    write_bytes(dir / "cases.csv", "Q,UPOD\n0.001,0.05\n0.002,0.06\n0.003,0.07\n");
    write_bytes(dir / "other.csv", "Q,UPOD\n0.001,0.05\n0.002,0.06\n0.0031,0.07\n");
    const auto sample = [](const std::string& seed) {
        return std::vector<std::string>{"sample", "BILM.DAT", "--vary", "Q=normal(0.0025,0.0001)", "--count", "20",
                                        "--design", "lhs", "--seed", seed, "--no-progress"};
    };
    const auto list = [](const std::string& cases) {
        return std::vector<std::string>{"sweep", "BILM.DAT", "--cases", cases, "--no-progress"};
    };
    const auto with = [](std::vector<std::string> a, std::vector<std::string> more) {
        a.insert(a.end(), more.begin(), more.end());
        return a;
    };
    const struct {
        std::vector<std::string> study, foreign;
        const char* refusal;
    } cases[] = {
        {sample("7"), sample("8"), "its seed is 8"},
        {list("cases.csv"), list("other.csv"), "a shard of another study"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        ASSERT_EQ(run_swirl(dir, with(c.study, {"-o", "whole.csv"})).exit_code, 0);
        for (int k = 1; k <= 3; ++k)
            ASSERT_EQ(run_swirl(dir, with(c.study, {"--shard", std::to_string(k) + "/3", "-o", part_name(k)})).exit_code, 0);
        ASSERT_EQ(run_swirl(dir, with(c.foreign, {"--shard", "2/3", "-o", "foreign.csv"})).exit_code, 0);
        const RunResult merged = run_swirl(dir, {"merge", part_name(3), part_name(1), part_name(2)});
        EXPECT_EQ(merged.exit_code, 0) << merged.err;
        EXPECT_EQ(merged.out, read_bytes(dir / "whole.csv"));
        const RunResult refused = run_swirl(dir, {"merge", part_name(1), "foreign.csv", part_name(3), "-o", "all.csv"});
        EXPECT_EQ(refused.exit_code, 64);
        EXPECT_NE(refused.err.find(c.refusal), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(dir / "all.csv"));
    }
}

TEST(Merge, AShardToStandardOutputGetsNoManifestAndANote) {
    TempDir dir;
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    const RunResult r = run_swirl(dir, sweep_args("BILM.DAT", {"--shard", "1/2"}));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.err.find("no manifest"), std::string::npos) << r.err;
    EXPECT_EQ(test_support::entries(dir.path()), std::set<std::string>{"BILM.DAT"});
}

TEST(Merge, PartsThatAreNotTheWholeOfOneStudyAreRefusedNamingThePart) {
    TempDir dir;
    const std::string bilm(find_program("BILM")->example);
    write_bytes(dir / "BILM.DAT", bilm);
    // The same data file with another HG (0.5 -> 0.6), for a foreign shard.
    std::string other = bilm;
    const auto at = other.find(" .50000E+00");
    ASSERT_NE(at, std::string::npos);
    other.replace(at, 11, " .60000E+00");
    write_bytes(dir / "OTHER.DAT", other);
    for (std::int64_t k = 1; k <= 4; ++k) shard(dir, k, 4, part_name(k));
    shard(dir, 3, 4, "other-input.csv", "OTHER.DAT");
    shard(dir, 3, 4, "other-grid.csv", "BILM.DAT", {"--vary", "R1=-0.01:0.02:3", "--vary", "Q=0.00001:0.01:8:log"});
    shard(dir, 3, 5, "other-count.csv");
    // Changed after the fact, each beside a copy of part 3's manifest.
    const std::string part3 = read_bytes(dir / part_name(3));
    const std::string manifest3 = read_bytes(dir / (part_name(3) + ".json"));
    const auto beside = [&](const std::string& name, const std::string& bytes) {
        write_bytes(dir / name, bytes);
        write_bytes(dir / (name + ".json"), manifest3);
    };
    beside("truncated.csv", part3.substr(0, part3.size() - 7));
    beside("row-dropped.csv", part3.substr(0, part3.rfind('\n', part3.size() - 2) + 1));
    std::string changed = part3;
    changed[changed.size() - 5] = changed[changed.size() - 5] == '1' ? '2' : '1';
    beside("changed.csv", changed);
    write_bytes(dir / "no-manifest.csv", part3);
    write_bytes(dir / "bad-manifest.csv", part3);
    write_bytes(dir / "bad-manifest.csv.json", "{\"manifest\": \"swirl shard\", \"format\": 1");

    const struct {
        std::vector<std::string> parts;
        const char* named;  // in the message
    } cases[] = {
        {{"part-1.csv", "part-2.csv", "part-4.csv"}, "shard 3 of 4 is missing"},
        {{"part-4.csv", "part-2.csv", "part-1.csv"}, "shard 3 of 4 is missing"},
        {{"part-1.csv", "part-2.csv", "part-3.csv", "part-3.csv", "part-4.csv"}, "part-3.csv and part-3.csv are both shard 3/4"},
        {{"part-1.csv", "part-2.csv", "part-3.csv", "changed.csv", "part-4.csv"}, "part-3.csv and changed.csv are both"},
        {{"part-1.csv", "part-2.csv", "truncated.csv", "part-4.csv"}, "truncated.csv is not the table its manifest"},
        {{"part-1.csv", "part-2.csv", "row-dropped.csv", "part-4.csv"}, "row-dropped.csv is not the table its manifest"},
        {{"part-1.csv", "part-2.csv", "changed.csv", "part-4.csv"}, "changed.csv is not the table its manifest"},
        {{"part-1.csv", "part-2.csv", "other-input.csv", "part-4.csv"}, "other-input.csv is a shard of another study: its input HG"},
        {{"part-1.csv", "part-2.csv", "other-grid.csv", "part-4.csv"}, "other-grid.csv is a shard of another study: its vary 2"},
        {{"part-1.csv", "part-2.csv", "other-count.csv", "part-4.csv"}, "other-count.csv is a shard of another study"},
        {{"part-1.csv", "part-2.csv", "no-manifest.csv", "part-4.csv"}, "no-manifest.csv has no manifest"},
        {{"part-1.csv", "part-2.csv", "bad-manifest.csv", "part-4.csv"}, "bad-manifest.csv: its manifest"},
        {{"part-1.csv", "part-2.csv", "part-3.csv", "part-4.csv", "-o", "part-2.csv"}, "part-2.csv"},
        {{"part-1.csv", "part-2.csv", "part-3.csv", "part-4.csv", "-o", "part-2.csv.json"}, "part-2.csv's manifest"},
    };
    const std::set<std::string> before = test_support::entries(dir.path());
    for (const auto& c : cases) {
        std::vector<std::string> args = {"merge"};
        args.insert(args.end(), c.parts.begin(), c.parts.end());
        if (args.size() < 3 || args[args.size() - 2] != "-o") args.insert(args.end(), {"-o", "all.csv"});
        const RunResult r = run_swirl(dir, args);
        EXPECT_EQ(r.exit_code, 64) << c.named << ": " << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(test_support::entries(dir.path()), before) << c.named;
    }
    // Given whole, the shards merge.
    const RunResult r = run_swirl(dir, {"merge", "part-3.csv", "part-1.csv", "part-4.csv", "part-2.csv", "-o", "all.csv"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const RunResult missing = run_swirl(dir, {"merge", "part-1.csv", "nowhere.csv"});
    EXPECT_EQ(missing.exit_code, 2) << missing.err;
}

}  // namespace
}  // namespace swirl
