// The nearest name to a mistyped one, and prose wrapped to a width.
#include "swirl/core/usage_text.h"

#include <gtest/gtest.h>

namespace swirl {
namespace {

TEST(NearestName, TypingSlipsOnlyAndNoGuessBetweenTwo) {
    const std::vector<std::string> options = {"--help", "--json", "--program", "--jobs", "--logx", "--logy"};
    const std::vector<std::string> bilm = {"Q", "HG", "R1", "RCR", "UPOD"};
    const struct {
        const char* word;
        const std::vector<std::string>* names;
        const char* nearest;
    } cases[] = {
        {"--jsn", &options, "--json"},    // a letter left out
        {"--josn", &options, "--json"},   // two swapped
        {"--JSON", &options, "--json"},   // case
        {"--hlep", &options, "--help"},
        {"--progam", &options, "--program"},
        {"--jbos", &options, "--jobs"},
        {"--logz", &options, ""},         // --logx or --logy: no guess
        {"--frobnicate", &options, ""},
        {"upd", &bilm, "UPOD"},
        {"QQ", &bilm, "Q"},
        {"RCP", &bilm, "RCR"},
        {"Rl", &bilm, "R1"},              // a look-alike is half an edit
        {"D", &bilm, ""},                 // one letter for another is no slip
        {"XYZ", &bilm, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(nearest_name(c.word, *c.names), c.nearest) << c.word;
    EXPECT_EQ(did_you_mean("upd", bilm), "did you mean UPOD?");
    EXPECT_EQ(did_you_mean("D", bilm), "");
}

TEST(WrapWords, AtBlanksWithinTheWidth) {
    const struct {
        const char* text;
        std::size_t width;
        std::vector<std::string> lines;
    } cases[] = {
        {"one two three", 7, {"one two", "three"}},
        {"one two three", 13, {"one two three"}},
        {"a  b   c", 80, {"a b c"}},
        {"", 10, {""}},
        {"averylongword x", 5, {"averylongword", "x"}},
        {"скорость в м/с", 10, {"скорость в", "м/с"}},  // characters, not bytes
    };
    for (const auto& c : cases) EXPECT_EQ(wrap_words(c.text, c.width), c.lines) << c.text;
}

}  // namespace
}  // namespace swirl
