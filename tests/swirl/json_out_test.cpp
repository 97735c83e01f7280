// JSON with exact floats: the shortest decimal of each float, and everything
// else exactly as nlohmann writes it.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>

#include "swirl/core/json_out.h"

namespace swirl {
namespace {

using Json = nlohmann::ordered_json;

TEST(DumpJson, FloatsAsTheirShortestDecimal) {
    const struct { double value; const char* text; } cases[] = {
        {0.1f, "0.1"}, {1.0f, "1.0"}, {-0.0f, "-0.0"}, {1e20f, "1e+20"}, {16777216.f, "16777216.0"},
        {-1.5e-5f, "-1.5e-05"}, {std::numeric_limits<float>::max(), "3.4028235e+38"},
        {0.1, "0.1"}, {1e300, "1e+300"}, {4e38, "4e+38"},  // doubles that are no float
        {std::numeric_limits<double>::infinity(), "null"}, {std::numeric_limits<double>::quiet_NaN(), "null"},
    };
    for (const auto& c : cases) EXPECT_EQ(dump_json(Json{{"x", c.value}}, -1), std::string("{\"x\":") + c.text + "}");
}

TEST(DumpJson, EverythingElseAsNlohmannWritesIt) {
    const Json doc = {
        {"name", "ZARN1.DAT"}, {"n", 400}, {"neg", -3}, {"ok", true}, {"none", nullptr},
        {"empty", Json::object()}, {"list", Json::array()},
        {"nested", {{"a", {1, 2, {{"b", "в"}}}}, {"c", Json::array({Json::array()})}}},
    };
    for (const int indent : {-1, 0, 2, 4}) EXPECT_EQ(dump_json(doc, indent), doc.dump(indent)) << indent;
    EXPECT_EQ(dump_json(Json("bad \xFF byte"), -1), "\"bad \xEF\xBF\xBD byte\"");
}

// A document of random floats and awkward strings, written and read back by
// nlohmann: every float comes back bit for bit and as a floating-point number.
TEST(DumpJson, ReadsBackBitForBit) {
    std::mt19937 rng(20);
    std::vector<float> values;
    while (values.size() < 20000) {
        const float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
        if (std::isfinite(f)) values.push_back(f);
    }
    values.insert(values.end(), {0.0f, -0.0f, 1.0f, 0.1f, std::numeric_limits<float>::denorm_min()});
    const std::string text = "Ёлка \"в\" \\ \t\n\r\x01\x1F\x7F №";
    Json doc = {{"профиль", {{"V", Json::array()}}}, {"text", text}};
    for (const float f : values) doc["профиль"]["V"].push_back(f);

    const Json back = Json::parse(dump_json(doc));
    EXPECT_EQ(back["text"], text);
    ASSERT_TRUE(back.contains("профиль"));
    const Json& v = back["профиль"]["V"];
    ASSERT_EQ(v.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_TRUE(v[i].is_number_float()) << v[i];
        ASSERT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(v[i].get<double>())),
                  std::bit_cast<std::uint32_t>(values[i]))
            << values[i];
    }
}

}  // namespace
}  // namespace swirl
