// Field rendering: E, F and I edits with the report's rounding rule, the
// non-finite markers, and list-directed console items.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <string>
#include <cstdint>
#include <limits>

#include "decimal_form_check.h"
#include "fixrec/edit_output.h"

namespace {

using fixrec::format_e;
using fixrec::format_f;
using fixrec::format_i;

struct RealCase {
    float value;
    int w;
    int d;
    const char* expected;
};

TEST(EditOutput, EFieldsTable) {
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

TEST(EditOutput, FFieldsTable) {
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

TEST(EditOutput, IFieldsTable) {
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

TEST(EditOutput, NonFiniteMarkersFillTheField) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(format_e(inf, 12, 5), "1#INF.......");
    EXPECT_EQ(format_e(-inf, 12, 5), "1#INF.......");
    EXPECT_EQ(format_f(inf, 11, 4), "1#INF......");
    EXPECT_EQ(format_e(std::bit_cast<float>(0xFFC00000u), 12, 5), "1#IND.......");
    EXPECT_EQ(format_e(std::bit_cast<float>(0x7FC00001u), 16, 5), "1#QNAN..........");
    EXPECT_EQ(format_e(std::bit_cast<float>(0x7F800001u), 12, 5), "1#SNAN......");
    EXPECT_EQ(format_e(inf, 4, 1), "****");
}

std::string list_item(float v) {
    char buf[64];
    return {buf, fixrec::edit_list_real(v, buf)};
}

TEST(EditOutput, ListDirectedRealsTable) {
    struct Case {
        float value;
        const char* expected;
    } const cases[] = {
        {14.8768f, "14.876800"},
        {98.769f, "98.769000"},
        {0.5f, "5.000000E-01"},
        {0.0f, "0.000000E+00"},
        {100.0f, "100.000000"},
        {1234567.0f, "1234567.000000"},
        {1.0f, "1.000000"},
        {9999999.0f, "9999999.000000"},
        {10000000.0f, "1.000000E+07"},
        {-2.5e-5f, "-2.500000E-05"},
        {0.99999994f, "9.999999E-01"},   // below 1: E form
        {-123.25f, "-123.250000"},
        {1.0e38f, "1.000000E+38"},
    };
    for (const auto& c : cases) EXPECT_EQ(list_item(c.value), c.expected) << c.value;
}

// Every float of a sweep keeps its printed field width and the digit rule:
// the digits are the 17-digit decimal form rounded half up to 5 places.
TEST(EditOutput, EFieldWidthHoldsForAllMagnitudes) {
    std::uint32_t bits = 0x00000001u;
    for (int i = 0; i < 200000; ++i, bits += 0x7F7FFFFFu / 200000u) {
        const float v = std::bit_cast<float>(bits);
        ASSERT_EQ(format_e(v, 12, 5).size(), 12u);
        ASSERT_EQ(format_e(-v, 12, 5).front(), ' ') << v;  // E12.5 fits negatives too
        ASSERT_EQ(format_e(v, 16, 5).find('*'), std::string::npos);
    }
}

}  // namespace

namespace {

// The digits of every rendering come from the 17-digit decimal form of the
// value.  The sweep over every float is the opt-in exhaustive test
// (SWIRL_EXHAUSTIVE).
void expect_decimal_form_matches(float v) { ASSERT_EQ(fixrec_test::decimal_form_mismatch(v), "") << v; }

TEST(DecimalForm, AgreesWithTheStandardLibraryOnASweepOfFloats) {
    // Every 211th bit pattern of the positive finite floats, plus the edges.
    for (std::uint32_t bits = 1; bits < 0x7F800000u; bits += 211)
        expect_decimal_form_matches(std::bit_cast<float>(bits));
    for (float v : {1.0f, 10.0f, 1e16f, 1e17f, 1e18f, 9.999999e16f, 1e-27f, 1e-28f,
                    std::numeric_limits<float>::max(), std::numeric_limits<float>::min(),
                    std::numeric_limits<float>::denorm_min(), 16777215.0f, 16777216.0f})
        expect_decimal_form_matches(v);
}

}  // namespace
