// The one renderer: whole fields (width, justification, asterisks, markers),
// formatted records and list-directed records, rendered into a string
// without a unit.  What a unit or the console receives is checked against
// the same functions in record_output_test.cpp and console_test.cpp.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "fixrec/edit_output.h"
#include "fixrec/fixrec.h"

namespace {

using namespace fixrec::literals;
using fixrec::format_e;
using fixrec::format_f;
using fixrec::format_i;

struct RealCase {
    float value;
    int w;
    int d;
    const char* expected;
};

TEST(RenderField, EFieldsTable) {
    const RealCase cases[] = {
        {1234.5f, 16, 5, "      .12345E+04"},
        {-0.000123f, 12, 5, " -.12300E-03"},
        {0.0f, 16, 5, "      .00000E+00"},
        {-0.0f, 12, 5, "  .00000E+00"},         // negative zero shows no sign
        {0.999999f, 12, 5, "  .10000E+01"},     // the carry moves into the exponent
        {1.0e38f, 12, 5, "  .10000E+39"},
        {0.0012f, 12, 5, "  .12000E-02"},
        {0.344898f, 12, 5, "  .34490E+00"},
        {1.03125f, 12, 5, "  .10313E+01"},      // an exact decimal tie rounds up (printf: .10312)
        {-3.4028235e38f, 12, 5, " -.34028E+39"},  // the widest negative value still fits
        {1.0e-45f, 12, 5, "  .14013E-44"},      // smallest subnormal
        {0.5f, 16, 5, "      .50000E+00"},
        {1.0f, 12, 5, "  .10000E+01"},
        {123.456f, 16, 10, " .1234560000E+03"},  // beyond 7 digits only zeros
        {2.5f, 5, 5, "*****"},                  // field one character too short
        {2.5f, 10, 5, ".25000E+01"},            // exactly w wide: no leading blank
        {-2.5f, 10, 5, "**********"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_e(c.value, c.w, c.d), c.expected) << "value " << c.value;
}

TEST(RenderField, FFieldsTable) {
    const RealCase cases[] = {
        {0.0f, 11, 4, "      .0000"},
        {0.5f, 11, 4, "      .5000"},
        {45.0f, 11, 4, "    45.0000"},
        {1234.5678f, 11, 4, "  1234.5680"},  // 7 significant digits, then "0"
        {99.5f, 12, 5, "    99.50000"},
        {-0.00004f, 11, 4, "      .0000"},   // rounds to zero: no sign
        {0.00006f, 11, 4, "      .0001"},
        {123456789.0f, 11, 4, "***********"},
        {9.99996f, 11, 4, "    10.0000"},    // the carry adds an integer digit
        {-0.0f, 11, 4, "      .0000"},
        {-1.5f, 11, 4, "    -1.5000"},
        {0.04f, 11, 4, "      .0400"},
        {-0.03125f, 11, 4, "     -.0313"},   // an exact tie rounds away from zero
        {1234567.0f, 12, 5, "************"},
        {0.3f, 4, 0, "  0."},                 // below one half at d = 0
        {0.7f, 4, 0, "  1."},
        {12.0f, 3, 0, "12."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_f(c.value, c.w, c.d), c.expected) << "value " << c.value;
}

TEST(RenderField, IFieldsTable) {
    struct Case {
        std::int32_t value;
        int w;
        const char* expected;
    } const cases[] = {
        {7, 1, "7"},  {12, 1, "*"},   {12, 3, " 12"}, {-5, 3, " -5"}, {-5, 1, "*"},
        {0, 2, " 0"}, {-2147483647 - 1, 11, "-2147483648"},
    };
    for (const auto& c : cases) EXPECT_EQ(format_i(c.value, c.w), c.expected) << c.value;
}

// A value that is not a finite number, through every public edit: an E or F
// field shows its marker filled with dots to the width, asterisks when the
// marker is wider; the console shows the marker in its 15 columns.
TEST(RenderField, NonFiniteValuesThroughEveryPublicEdit) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        const char* e12_5;
        const char* f11_4;
        const char* e4_1;   // narrower than the marker
        const char* f6_0;   // as wide as "1#SNAN" and "1#QNAN"
        const char* list;
    } cases[] = {
        {inf, "1#INF.......", "1#INF......", "****", "1#INF.", "1#INF"},
        {-inf, "1#INF.......", "1#INF......", "****", "1#INF.", "1#INF"},
        {std::bit_cast<float>(0x7FC00000u), "1#QNAN......", "1#QNAN.....", "****", "1#QNAN", "1#QNAN"},
        {std::bit_cast<float>(0x7FC00001u), "1#QNAN......", "1#QNAN.....", "****", "1#QNAN", "1#QNAN"},
        {std::bit_cast<float>(0xFFC00000u), "1#IND.......", "1#IND......", "****", "1#IND.", "1#IND"},
        {std::bit_cast<float>(0xFFC00001u), "1#QNAN......", "1#QNAN.....", "****", "1#QNAN", "1#QNAN"},
        {std::bit_cast<float>(0x7F800001u), "1#SNAN......", "1#SNAN.....", "****", "1#SNAN", "1#SNAN"},
        {std::bit_cast<float>(0xFFBFFFFFu), "1#SNAN......", "1#SNAN.....", "****", "1#SNAN", "1#SNAN"},
    };
    for (const auto& c : cases) {
        const auto bits = std::bit_cast<std::uint32_t>(c.value);
        SCOPED_TRACE(bits);
        EXPECT_EQ(format_e(c.value, 12, 5), c.e12_5);
        EXPECT_EQ(format_f(c.value, 11, 4), c.f11_4);
        EXPECT_EQ(format_e(c.value, 4, 1), c.e4_1);
        EXPECT_EQ(format_f(c.value, 4, 1), c.e4_1);
        EXPECT_EQ(format_f(c.value, 6, 0), c.f6_0);
        std::string field;
        fixrec::render_field({fixrec::DescKind::E, 16, 5}, c.value, field);
        EXPECT_EQ(field, std::string(c.e12_5) + "....");
        std::string record;
        fixrec::render_record("(2X,F11.4,'(м)')"_fmt, {c.value}, record);
        EXPECT_EQ(record, "  " + std::string(c.f11_4) + std::string("(м)\r\n"_cp));
        char buf[64];
        EXPECT_EQ(std::string(buf, fixrec::edit_list_real(c.value, buf)), c.list);
        EXPECT_EQ(fixrec::nonfinite_marker(c.value), c.list);
        std::string line;
        const fixrec::Item items[] = {"X="_cp, c.value};
        fixrec::render_console_record(items, line);
        EXPECT_EQ(line, "X=" + std::string(15 - std::string_view(c.list).size(), ' ') + c.list);
    }
}


// Every float of a sweep keeps its printed field width and the digit rule:
// the digits are the 17-digit decimal form rounded half up to 5 places.
TEST(RenderField, EFieldWidthHoldsForAllMagnitudes) {
    std::uint32_t bits = 0x00000001u;
    for (int i = 0; i < 200000; ++i, bits += 0x7F7FFFFFu / 200000u) {
        const float v = std::bit_cast<float>(bits);
        ASSERT_EQ(format_e(v, 12, 5).size(), 12u);
        ASSERT_EQ(format_e(-v, 12, 5).front(), ' ') << v;  // E12.5 fits negatives too
        ASSERT_EQ(format_e(v, 16, 5).find('*'), std::string::npos);
    }
}

TEST(RenderField, CharacterFields) {
    struct Case {
        int w;
        fixrec::Item item;
        const char* expected;
    } const cases[] = {
        {1, "ABC", "A"},      // the first w characters of a longer text
        {5, "AB", "   AB"},   // right-justified
        {0, "  x", "  x"},    // bare A: the text's own length, its blanks included
        {3, fixrec::Verbatim{"v"}, "  v"},
    };
    for (const auto& c : cases) {
        std::string out;
        fixrec::render_field({fixrec::DescKind::A, c.w, 0}, c.item, out);
        EXPECT_EQ(out, c.expected);
    }
    std::string out;
    EXPECT_THROW(fixrec::render_field({fixrec::DescKind::I, 3, 0}, 1.0f, out), std::invalid_argument);
}

TEST(RenderRecord, RecordsEndWithCrLf) {
    std::string out;
    fixrec::render_record("(2X,'Q',E12.5,'(м3/с)',/,I3)"_fmt, {0.0012f, std::int32_t{7}}, out);
    EXPECT_EQ(out, std::string("  Q  .12000E-02(м3/с)"_cp) + "\r\n  7\r\n");
    fixrec::render_record("('A',3X,/,'B')"_fmt, {}, out);  // appended; trailing X writes nothing
    EXPECT_EQ(out.substr(out.size() - 6), "A\r\nB\r\n");
}

TEST(RenderConsoleRecord, ListDirectedText) {
    std::string out;
    const fixrec::Item items[] = {"ETA1fr=", 14.8768f, 0.5f, fixrec::Verbatim{"x"}, std::int32_t{-3}};
    fixrec::render_console_record(items, out);
    EXPECT_EQ(out, "ETA1fr=      14.876800    5.000000E-01x             -3");
}

// No state of the run: threads rendering at once get what one thread gets.
TEST(RenderRecord, SeveralThreadsAtOnce) {
    auto render = [](float v) {
        std::string out;
        fixrec::render_record("(6X,E12.5,6X,F11.4)"_fmt, {v, v}, out);
        return out;
    };
    std::vector<std::string> expected;
    for (int i = 0; i < 200; ++i) expected.push_back(render(static_cast<float>(i) * 0.37f));
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round)
                for (int i = 0; i < 200; ++i)
                    if (render(static_cast<float>(i) * 0.37f) != expected[static_cast<std::size_t>(i)]) ++wrong[t];
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
