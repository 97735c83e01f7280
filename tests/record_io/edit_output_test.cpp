// The digits of the edits: the 17-digit decimal form that every field is
// rounded from, and list-directed console reals.  (Whole fields, with their
// widths, asterisks and markers, are the renderer's: render_test.cpp.)
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <string>
#include <cstdint>
#include <limits>

#include "decimal.h"
#include "decimal_form_check.h"
#include "fixrec/edit_output.h"

namespace {

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

// The one rounding of the digits: half up on the decimal digits, at most 7.
TEST(EditOutput, RoundHalfUpTable) {
    const struct {
        std::uint64_t q;
        int n;
        std::uint32_t kept;
        int carry;
    } cases[] = {
        {12345678901234567u, 5, 12346000u, 0},
        {12344499999999999u, 5, 12344000u, 0},  // only the next digit decides
        {99999500000000000u, 5, 10000000u, 1},  // the carry out of the first digit
        {99999499999999999u, 5, 99999000u, 0},
        {49999999999999999u, 0, 0u, 0},         // nothing kept
        {50000000000000000u, 0, 10000000u, 1},  // "1" and one more in the exponent
        {12345675000000000u, 7, 12345680u, 0},
        {12345675000000000u, 12, 12345680u, 0},  // never more than 7 digits
        {0u, 5, 0u, 0},                          // zero stays zero
    };
    for (const auto& c : cases) {
        int x = 3;
        EXPECT_EQ(fixrec::detail::round_half_up(c.q, c.n, x), c.kept) << c.q << " at " << c.n;
        EXPECT_EQ(x, 3 + c.carry) << c.q << " at " << c.n;
    }
}

// The edits behind the fields take any float: one that is not finite gives
// its marker, never digits.
TEST(EditOutput, DigitsOfNonFiniteValuesAreTheirMarker) {
    char buf[fixrec::detail::edit_capacity(5)];
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(std::string(buf, fixrec::detail::edit_e(-inf, 5, buf)), "1#INF");
    EXPECT_EQ(std::string(buf, fixrec::detail::edit_f(std::bit_cast<float>(0x7FC00000u), 5, buf)), "1#QNAN");
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
