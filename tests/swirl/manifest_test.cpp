// A shard's manifest: SHA-256 against the standard's vectors and in any
// pieces, a table's header, rows and digest as it streams by, a manifest
// read back as written and refused when it does not add up, a sweep's
// identity, and a set of shards put in order or refused naming the part.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swirl/core/sha256.h"
#include "swirl/core/usage_error.h"
#include "swirl/study/manifest.h"
#include "swirl/study/sweep.h"

namespace swirl {
namespace {

std::string digest(std::string_view bytes, std::size_t piece) {
    Sha256 h;
    for (std::size_t at = 0; at < bytes.size(); at += piece) h.add(bytes.substr(at, piece));
    return h.hex();
}

TEST(Sha256, StandardVectorsInAnyPieces) {
    const struct {
        std::string bytes;
        const char* hex;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
    };
    for (const auto& c : cases)
        for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{1} << 20})
            EXPECT_EQ(digest(c.bytes, piece), c.hex)
                << c.bytes.size() << " bytes in pieces of " << piece;
}

TEST(TableDigest, HeaderRowsAndWholeRowsInAnyPieces) {
    const std::string rows = "1,2\r\n3,4\r\n";
    const struct {
        std::string table;
        const char* header;
        std::int64_t rows;
        bool whole;
    } cases[] = {
        {std::string("a,b\r\n").append(rows), "a,b", 2, true},
        {"a,b\r\n", "a,b", 0, true},
        {"a,b\r\n1,2\r\n3,", "a,b", 1, false},
        {"a,b", "a,b", 0, false},
        {"a,b\n1\n", "a,b", 1, true},
    };
    for (const auto& c : cases) {
        for (std::size_t piece = 1; piece <= c.table.size(); ++piece) {
            TableDigest d;
            for (std::size_t at = 0; at < c.table.size(); at += piece) d.add(std::string_view(c.table).substr(at, piece));
            EXPECT_EQ(d.header(), c.header) << c.table;
            EXPECT_EQ(d.rows(), c.rows) << c.table;
            EXPECT_EQ(d.ends_at_line_end(), c.whole) << c.table << " in pieces of " << piece;
        }
    }
    TableDigest d;
    d.add(std::string("a,b\r\n").append(rows));
    Sha256 h;
    h.add(rows);
    EXPECT_EQ(d.sha256(), h.hex());
}

Manifest example() {
    TableDigest d;
    d.add("Q,HO\r\n1,2\r\n3,4\r\n");
    return d.manifest("sweep", {{"program", "BILM"}, {"input Q", "0.001"}, {"vary 1", "Q=1:3:5"}}, {2, 2}, {3, 5}, 5);
}

TEST(Manifest, ReadsBackAsWritten) {
    const Manifest m = example();
    const Manifest back = parse_manifest(manifest_text(m));
    EXPECT_EQ(back.study, m.study);
    EXPECT_EQ(back.identity, m.identity);
    EXPECT_EQ(back.shard.k, 2);
    EXPECT_EQ(back.shard.n, 2);
    EXPECT_EQ(back.cases.begin, 3);
    EXPECT_EQ(back.cases.end, 5);
    EXPECT_EQ(back.total, 5);
    EXPECT_EQ(back.header, "Q,HO");
    EXPECT_EQ(back.rows, 2);
    EXPECT_EQ(back.sha256, m.sha256);
    EXPECT_EQ(manifest_path("out/part-01.csv"), "out/part-01.csv.json");
    Manifest twice = m;
    twice.identity.emplace_back("program", "KERVA");
    EXPECT_THROW(manifest_text(twice), std::invalid_argument);
}

TEST(Manifest, RefusedWhenItDoesNotAddUp) {
    const std::string good = manifest_text(example());
    const auto with = [&](std::string_view from, std::string_view to) {
        std::string s = good;
        const auto at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return s.replace(at, from.size(), to);
    };
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"{", "not JSON"},
        {"[]", "not a manifest"},
        {with("swirl shard", "other"), "not a manifest"},
        {with("\"format\": 1", "\"format\": 2"), "format 2"},
        {with("\"study\": \"sweep\",", ""), "no \"study\""},
        {with("\"rows\": 2", "\"rows\": \"2\""), "\"rows\" is string"},
        {with("\"shard\": \"2/2\"", "\"shard\": \"3/2\""), "shard"},
        {with("\"begin\": 3", "\"begin\": 2"), "not those of shard 2/2 of 5 cases"},
        {with("\"rows\": 2", "\"rows\": 1"), "not those of shard"},
        {with("\"total\": 5", "\"total\": 6"), "not those of shard"},
        {with("\"program\": \"BILM\"", "\"program\": 1"), "is not a text"},
    };
    for (const auto& c : cases) {
        try {
            parse_manifest(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ManifestError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(Manifest, SweepIdentityNamesTheProgramEveryInputAndTheNormalisedGrids) {
    const Calculator& bilm = *find_program("BILM");
    std::vector<Value> base(bilm.inputs.size());
    calculators::ReadFailure where;
    ASSERT_TRUE(bilm.read(bilm.example, base, where));
    const std::vector<Grid> grids = {parse_grid("upod=0.020:0.2:4"), parse_grid("Q=0.00001:0.01:61:log")};
    const Identity id = Sweep(bilm, base, grids, {2, 3}).identity();
    const Identity expected = {{"program", "BILM"},         {"input Q", "0.001"},
                               {"input HG", "0.5"},         {"input R1", "0.01"},
                               {"input RCR", "0.1"},        {"input UPOD", "0.05"},
                               {"vary 1", "UPOD=0.02:0.2:4"}, {"vary 2", "Q=1e-05:0.01:61:log"}};
    EXPECT_EQ(id, expected);
    // The shard is not part of the study.
    EXPECT_EQ(Sweep(bilm, base, grids, {1, 1}).identity(), id);
}

TEST(OrderShards, InShardOrderOrRefusedNamingThePart) {
    const auto part = [](std::int64_t k, std::int64_t n, std::string hg = "0.5") {
        Manifest m;
        m.study = "sweep";
        m.identity = {{"program", "BILM"}, {"input HG", hg}};
        m.shard = {k, n};
        m.total = 10;
        m.cases = shard_range(10, m.shard);
        m.header = "Q,HG";
        m.rows = m.cases.end - m.cases.begin;
        return m;
    };
    {
        const std::vector<std::string> names = {"c", "a", "b"};
        const std::vector<Manifest> parts = {part(3, 3), part(1, 3), part(2, 3)};
        EXPECT_EQ(order_shards(names, parts), (std::vector<std::size_t>{1, 2, 0}));
    }
    const struct {
        std::vector<Manifest> parts;
        const char* message;
    } refused[] = {
        {{part(1, 3), part(3, 3)}, "shard 2 of 3 is missing (2 parts given)"},
        {{part(2, 9)}, "shards 1, 3, 4, 5, 6, ... of 9 are missing"},
        {{part(1, 2), part(2, 2), part(2, 2)}, "p2 and p3 are both shard 2/2"},
        {{part(1, 3), part(2, 3), part(3, 3, "0.6")}, "p3 is a shard of another study: its input HG is 0.6, p1's 0.5"},
        {{part(1, 3, "0.6"), part(2, 3), part(3, 3)}, "p1 is a shard of another study: its input HG is 0.6, p2's 0.5"},
        {{part(1, 2), part(2, 3)}, "p2 is a shard of another study: its shard count is 3, p1's 2"},
        {{}, "no part"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < c.parts.size(); ++i) names.push_back(std::string(1, 'p').append(std::to_string(i + 1)));
        try {
            order_shards(names, c.parts);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace swirl
