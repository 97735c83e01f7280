// swirl solve and swirl optimize built, on the examples in scratch
// directories: exit codes, refusals that write nothing, --write changing
// only the fields named, the same bytes for the same seed, and a
// certificate whose neighbours swirl sweep computes alike.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "run_program.h"
#include "swirl/model/model.h"
#include "test_files.h"

namespace swirl {
namespace {

using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

RunResult swirl(const TempDir& dir, std::vector<std::string> args) {
    test_support::RunOptions o;
    o.program = SWIRL_PATH;
    o.cwd = dir.path().string();
    o.args = std::move(args);
    o.timeout = std::chrono::milliseconds(60000);
    return test_support::run_program(o);
}

// A scratch directory holding the example of each program.
struct Examples {
    TempDir dir;
    Examples() {
        for (const char* p : {"BILM", "KERVA", "ZARN1"}) {
            const Calculator& c = *find_program(p);
            write_bytes(dir / std::string(c.data_file), std::string(c.example));
        }
    }
    std::string bytes(const char* name) const { return read_bytes(dir / name); }
};

TEST(DesignCommands, ExitCodesAndRefusals) {
    struct Row {
        std::vector<std::string> args;
        int exit;
    };
    const std::vector<Row> rows = {
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:0.01:log", "--target", "HO=0.2"}, 0},
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:0.01:log", "--target", "HO=5"}, 4},
        {{"solve", "BILM.DAT", "--find", "R1=-0.01:0", "--target", "HO=0.2"}, 3},
        {{"solve", "BILM.DAT", "--find", "QQ=0.0001:0.01", "--target", "HO=0.2"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:0.01", "--target", "H0=0.2"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0.01:0.0001", "--target", "HO=0.2"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0:0.01:log", "--target", "HO=0.2"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:1e39", "--target", "HO=0.2"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:0.01", "--target", "HO=0.2", "--scan", "1"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:0.01", "--target", "HO=0.2", "--scan", "x"}, 64},
        {{"solve", "KERVA.DAT", "--find", "UVX=-999999:999999", "--target", "ETA1=50", "--scan", "all"}, 64},
        {{"solve", "KERVA.DAT", "--find", "NI=1:3.5", "--target", "ETA1=50"}, 64},
        {{"solve", "BILM.DAT", "--find", "Q=0.0001:0.01", "--target", "HO=0.2", "--root", "1"}, 64},
        {{"solve", "KERVA.DAT", "--find", "DK=0.3:0.8", "--target", "VK=8", "--write"}, 64},
        {{"solve", "KERVA.DAT", "--find", "DK=0.3:0.8", "--target", "VK=8", "--write", "--root", "3"}, 64},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01:log", "--maximize", "Q", "--subject-to", "HO<=0.2"}, 0},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01:log", "--maximize", "Q", "--subject-to", "HO<=-1",
          "--evaluations", "50", "--write"},
         4},
        {{"optimize", "BILM.DAT", "--maximize", "Q"}, 64},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01", "--minimize", "HO", "--maximize", "HO"}, 64},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01", "--vary", "q=0.001:0.002", "--minimize", "HO"}, 64},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01", "--minimize", "HO", "--subject-to", "HO=1"}, 64},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01", "--minimize", "HOO", "--write"}, 64},
        {{"optimize", "BILM.DAT", "--vary", "Q=0.0001:0.01", "--minimize", "HO", "--evaluations", "3"}, 64},
    };
    const Examples ex;
    const std::string before = ex.bytes("BILM.DAT") + ex.bytes("KERVA.DAT");
    for (const Row& row : rows) {
        const RunResult r = swirl(ex.dir, row.args);
        std::string line;
        for (const std::string& a : row.args) line += a + " ";
        EXPECT_EQ(r.exit_code, row.exit) << line << "\n" << r.err;
        if (row.exit == 64) {
            EXPECT_TRUE(r.out.empty()) << line;
            EXPECT_TRUE(r.err.starts_with("swirl: ")) << line << r.err;
        }
    }
    EXPECT_EQ(ex.bytes("BILM.DAT") + ex.bytes("KERVA.DAT"), before);
}

// Bytes of a data file on every line but `line` (1-based).
std::string other_lines(const std::string& bytes, int line) {
    std::string out;
    int n = 1;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        end = end == std::string::npos ? bytes.size() : end + 1;
        if (n != line) out += bytes.substr(at, end - at);
        at = end;
        ++n;
    }
    return out;
}

TEST(DesignCommands, WriteChangesOnlyTheNamedFields) {
    const Examples ex;
    const Calculator& kerva = *find_program("KERVA");
    const int dk_line = kerva.inputs[input_index(kerva, "DK")].line;
    const std::string before = ex.bytes("KERVA.DAT");
    const RunResult r = swirl(ex.dir, {"solve", "KERVA.DAT", "--find", "DK=0.3:0.8", "--target", "VK=8", "--write",
                                       "--root", "2", "--json"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["crossings"].size(), 2u);
    const nlohmann::json& second = j["crossings"][1];
    const std::string nearer = second["nearer"];
    const std::string after = ex.bytes("KERVA.DAT");
    EXPECT_EQ(other_lines(after, dk_line), other_lines(before, dk_line));
    const RunResult shown = swirl(ex.dir, {"show", "KERVA.DAT", "--json"});
    const nlohmann::json s = nlohmann::json::parse(shown.out);
    EXPECT_EQ(s["inputs"][input_index(kerva, "DK")]["printed"], second[nearer]["printed"]);

    // optimize --write: the two inputs varied, nothing else.
    const Calculator& zarn1 = *find_program("ZARN1");
    const std::string z_before = ex.bytes("ZARN1.DAT");
    const RunResult o = swirl(ex.dir, {"optimize", "ZARN1.DAT", "--vary", "R1=0.01:0.06", "--vary",
                                       "FVX=0.0005:0.005", "--minimize", "PVXOD", "--subject-to", "K>=20", "--write",
                                       "--json"});
    ASSERT_EQ(o.exit_code, 0) << o.err;
    const std::string z_after = ex.bytes("ZARN1.DAT");
    const int r1 = zarn1.inputs[input_index(zarn1, "R1")].line, fvx = zarn1.inputs[input_index(zarn1, "FVX")].line;
    EXPECT_EQ(other_lines(other_lines(z_after, fvx), r1), other_lines(other_lines(z_before, fvx), r1));
    EXPECT_NE(z_after, z_before);
}

TEST(DesignCommands, SameSeedSameBytesAndTheCertificateBySweep) {
    const Examples ex;
    const std::vector<std::string> args = {"optimize", "KERVA.DAT", "--vary", "DK=0.2:0.8", "--vary", "QH=200:3000",
                                           "--maximize", "ETA1", "--subject-to", "VK<=15", "--json"};
    const RunResult a = swirl(ex.dir, args), b = swirl(ex.dir, args);
    ASSERT_EQ(a.exit_code, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    const nlohmann::json j = nlohmann::json::parse(a.out);
    const auto value_of = [&](const std::string& name) {
        for (const auto& in : j["inputs"])
            if (in["name"] == name) return in["value"].dump();
        return std::string();
    };
    for (const auto& n : j["certificate"]) {
        if (n["status"] == "bound") continue;
        const std::string moved = n["name"], other = moved == "DK" ? "QH" : "DK";
        const std::string v = n["value"].dump();
        const RunResult s = swirl(ex.dir, {"sweep", "KERVA.DAT", "--vary", moved + "=" + v + ":" + v + ":1", "--vary",
                                           other + "=" + value_of(other) + ":" + value_of(other) + ":1"});
        ASSERT_EQ(s.exit_code, 0) << s.err;
        // The row's ETA1 and VK (columns 20 and 17).
        const std::string row = s.out.substr(s.out.find('\n') + 1);
        std::vector<std::string> cells;
        for (std::size_t at = 0;;) {
            const std::size_t comma = row.find(',', at);
            cells.push_back(row.substr(at, comma - at));
            if (comma == std::string::npos) break;
            at = comma + 1;
        }
        const double eta1 = std::stod(cells[19]), vk = std::stod(cells[16]);
        const bool feasible = vk <= 15.0f;
        EXPECT_EQ(n["status"] == "no better", feasible) << n.dump();
        if (feasible) {
            EXPECT_LE(eta1, j["objective"]["value"].get<double>());
        }
        EXPECT_EQ(n["objective"].get<double>(), eta1);
    }
}

}  // namespace
}  // namespace swirl
