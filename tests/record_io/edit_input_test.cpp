// The field parser: the characters of one numeric field -> a value, or a
// failure.  Whole records and statements: record_input_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>

#include "field_cases.h"
#include "fixrec/edit_input.h"
#include "fixrec/render.h"

namespace {

using fixrec::InputStatus;

TEST(ReadReal, AcceptedForms) {
    for (const auto& c : field_cases::kReals) {
        float v = -99.0f;
        ASSERT_EQ(fixrec::read_real(c.field, 5, v), InputStatus::Ok) << c.field;
        EXPECT_EQ(v, c.expected) << "field \"" << c.field << "\"";
    }
    float v = 0.0f;
    ASSERT_EQ(fixrec::read_real("12345", 4, v), InputStatus::Ok);
    EXPECT_EQ(v, 1.2345f);  // 4 implied decimals, as F11.4 reads it
}

TEST(ReadReal, MalformedFieldsFailAndLeaveTheValue) {
    for (const std::string& field : field_cases::kBadReals) {
        float v = 7.0f;
        EXPECT_NE(fixrec::read_real(field, 5, v), InputStatus::Ok) << field;
        EXPECT_EQ(v, 7.0f) << field;
    }
    float v = 0.0f;
    EXPECT_EQ(fixrec::read_real("3.4028235E38", 5, v), InputStatus::RealOverflow);
    EXPECT_EQ(fixrec::read_real("1.2.3", 5, v), InputStatus::BadReal);
}

TEST(ReadInteger, AcceptedAndRejectedFields) {
    for (const auto& c : field_cases::kIntegers) {
        std::int32_t v = -1;
        ASSERT_EQ(fixrec::read_integer(c.field.substr(0, static_cast<std::size_t>(c.w)), v),
                  InputStatus::Ok)
            << c.field;
        EXPECT_EQ(v, c.expected) << c.field;
    }
    for (const std::string& field : field_cases::kBadIntegers) {
        std::int32_t v = 42;
        EXPECT_NE(fixrec::read_integer(field, v), InputStatus::Ok) << field;
        EXPECT_EQ(v, 42);
    }
    std::int32_t v = 0;
    EXPECT_EQ(fixrec::read_integer("2147483648", v), InputStatus::IntegerOverflow);
    EXPECT_EQ(fixrec::read_integer("1.", v), InputStatus::BadInteger);
}

TEST(ReadReal, CtrlZInANumericFieldReadsAsEndOfFile) {
    float v = 0.0f;
    EXPECT_EQ(fixrec::read_real("1.\x1A", 5, v), InputStatus::EndOfFile);
    std::int32_t i = 0;
    EXPECT_EQ(fixrec::read_integer("\x1A", i), InputStatus::EndOfFile);
}

// Every value a report writes reads back as the float nearest the printed text.
TEST(ReadReal, PrintedFieldsReadBackExactly) {
    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    for (int i = 0; i < 20000; ++i) {
        const auto v = static_cast<float>((gen() & 1 ? -1.0 : 1.0) * std::pow(10.0, exponent(gen)));
        for (const auto& [w, d, e_form] : {std::tuple{16, 5, true}, {12, 5, true}, {11, 4, false}}) {
            const std::string text = e_form ? fixrec::format_e(v, w, d) : fixrec::format_f(v, w, d);
            if (text.find('*') != std::string::npos) continue;
            float back = 0.0f;
            ASSERT_EQ(fixrec::read_real(text, d, back), InputStatus::Ok) << text;
            const float nearest = std::strtof(text.c_str(), nullptr);
            ASSERT_EQ(back, nearest) << text;
            // And writing it again gives the same text: a report is a fixed point.
            ASSERT_EQ(e_form ? fixrec::format_e(back, w, d) : fixrec::format_f(back, w, d), text);
        }
    }
}

}  // namespace
