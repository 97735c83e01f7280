// Format strings -> descriptor lists, at compile time (_fmt) and at run time
// (Format), by the same parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "fixrec/format.h"
#include "fixrec/format_literal.h"

namespace {

using fixrec::DescKind;
using fixrec::Format;
using fixrec::FormatError;
using fixrec::FormatView;
using namespace fixrec::literals;

TEST(FormatParsing, DescriptorsAndRepeatCounts) {
    const Format f("(2X,'AB''C',E16.5,/,3F11.4,I2,80A1,A)");
    const auto d = f.descriptors();
    ASSERT_EQ(d.size(), 1u + 1 + 1 + 1 + 3 + 1 + 80 + 1);
    EXPECT_EQ(d[0].kind, DescKind::Skip);
    EXPECT_EQ(d[0].w, 2);
    EXPECT_EQ(d[1].kind, DescKind::Literal);
    EXPECT_EQ(f.text(d[1]), "AB'C");
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
    const auto d = f.descriptors();
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
    EXPECT_EQ(b.text(b.descriptors()[0]), "short");
    EXPECT_EQ(c.text(c.descriptors()[2]), "a longer literal that is not in a small buffer");
}

// Each malformed format names its fault; at compile time the same check
// makes a _fmt literal of it an error (see malformed_format.cpp).
struct Malformed {
    const char* text;
    FormatError error;
};
constexpr Malformed kMalformed[] = {
    {"", FormatError::ExpectedOpen},          {"2X", FormatError::ExpectedOpen},
    {"(2X", FormatError::ExpectedClose},      {"('open)", FormatError::UnterminatedLiteral},
    {"(E12)", FormatError::PointExpected},    {"(E.5)", FormatError::WidthExpected},
    {"(E12.)", FormatError::DigitsExpected},  {"(I0)", FormatError::WidthExpected},
    {"(Q5)", FormatError::UnknownDescriptor}, {"(0A1)", FormatError::ZeroRepeat},
    {"(2X) x", FormatError::TextAfterClose},  {"(3", FormatError::DescriptorExpected},
    {"(200000X)", FormatError::CountTooLarge}, {"(I200000)", FormatError::WidthTooLarge},
};

consteval bool every_malformed_format_is_caught() {
    for (const Malformed& m : kMalformed)
        if (fixrec::check_format(m.text).error != m.error) return false;
    return true;
}
static_assert(every_malformed_format_is_caught());

TEST(FormatParsing, MalformedFormatsAreRejectedAtRunTime) {
    for (const Malformed& m : kMalformed) {
        try {
            Format{m.text};
            ADD_FAILURE() << m.text;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(fixrec::describe(m.error)), std::string::npos) << e.what();
        }
    }
}

// The compiled and the run-time parse of the same text are the same list.
void expect_same(FormatView compiled, const Format& parsed) {
    ASSERT_EQ(compiled.descriptors().size(), parsed.descriptors().size()) << parsed.source();
    for (std::size_t i = 0; i < compiled.descriptors().size(); ++i) {
        const auto& a = compiled.descriptors()[i];
        const auto& b = parsed.descriptors()[i];
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_EQ(a.w, b.w);
        EXPECT_EQ(a.d, b.d);
        EXPECT_EQ(compiled.text(a), parsed.text(b));
    }
    EXPECT_EQ(compiled.source(), parsed.source());
    EXPECT_EQ(compiled.data_count(), parsed.data_count());
    EXPECT_EQ(compiled.input_extent(), parsed.input_extent());
}

TEST(FormatLiteral, ParsesAsTheRunTimeParserDoes) {
    expect_same("(2X,'AB''C',E16.5,/,3F11.4,I2,80A1,A)"_fmt,
                Format("(2X,'AB''C',E16.5,/,3F11.4,I2,80A1,A)"));
    expect_same(" ( 2X / 'A' // ) "_fmt, Format(" ( 2X / 'A' // ) "));
    expect_same("(41X,E16.5)"_fmt, Format("(41X,E16.5)"));
    // Code page 866: the literal's text and its source are converted.
    constexpr FormatView f = R"fmt((2X,'ВЫСОТА ВОРОНКИ HO',E12.5,'(м)'))fmt"_fmt;
    expect_same(f, Format(R"fmt((2X,'ВЫСОТА ВОРОНКИ HO',E12.5,'(м)'))fmt"_cp));
    EXPECT_EQ(f.text(f.descriptors()[1]), "ВЫСОТА ВОРОНКИ HO"_cp);
    static_assert(f.descriptors().size() == 4 && f.data_count() == 1);
}

}  // namespace
