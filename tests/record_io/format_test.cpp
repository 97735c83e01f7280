// Format strings -> descriptor lists.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "fixrec/format.h"

namespace {

using fixrec::DescKind;
using fixrec::Format;

TEST(FormatParsing, DescriptorsAndRepeatCounts) {
    const Format f("(2X,'AB''C',E16.5,/,3F11.4,I2,80A1,A)");
    const auto& d = f.descriptors();
    ASSERT_EQ(d.size(), 1u + 1 + 1 + 1 + 3 + 1 + 80 + 1);
    EXPECT_EQ(d[0].kind, DescKind::Skip);
    EXPECT_EQ(d[0].w, 2);
    EXPECT_EQ(d[1].kind, DescKind::Literal);
    EXPECT_EQ(d[1].text, "AB'C");
    EXPECT_EQ(d[2].kind, DescKind::E);
    EXPECT_EQ(d[2].w, 16);
    EXPECT_EQ(d[2].d, 5);
    EXPECT_EQ(d[3].kind, DescKind::Slash);
    EXPECT_EQ(d[4].kind, DescKind::F);
    EXPECT_EQ(d[6].d, 4);
    EXPECT_EQ(d[7].kind, DescKind::I);
    EXPECT_EQ(d[8].kind, DescKind::A);
    EXPECT_EQ(d[8].w, 1);
    EXPECT_EQ(d.back().w, 0);  // bare A: the item's own length
    EXPECT_EQ(f.data_count(), 1 + 3 + 1 + 80 + 1);
}

TEST(FormatParsing, SlashesWithoutCommasAndBlanks) {
    const Format f(" ( 2X / 'A' // ) ");
    const auto& d = f.descriptors();
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[1].kind, DescKind::Slash);
    EXPECT_EQ(d[3].kind, DescKind::Slash);
    EXPECT_EQ(d[4].kind, DescKind::Slash);
}

TEST(FormatParsing, InputExtentCoversSkipsAndFields) {
    EXPECT_EQ(Format("(41X,E16.5)").input_extent(), 57u);
    EXPECT_EQ(Format("(80A1)").input_extent(), 80u);
    EXPECT_EQ(Format("(6X,E12.5,6X,E12.5,6X,E12.5)").input_extent(), 54u);
    EXPECT_EQ(Format("(2X,A)").input_extent(), SIZE_MAX);  // as long as the destination
}

TEST(FormatParsing, CopiesKeepTheirLiterals) {
    Format a("('short',5X,'a longer literal that is not in a small buffer')");
    Format b = a;
    Format c = std::move(a);
    EXPECT_EQ(b.descriptors()[0].text, "short");
    EXPECT_EQ(c.descriptors()[2].text, "a longer literal that is not in a small buffer");
}

TEST(FormatParsing, MalformedFormatsAreRejected) {
    for (const char* bad : {"", "2X", "(2X", "('open)", "(E12)", "(E.5)", "(Q5)", "(0A1)", "(2X) x"})
        EXPECT_THROW(Format{bad}, std::invalid_argument) << bad;
}

}  // namespace
