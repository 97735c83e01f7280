// Numeric field texts and what they read as: edit_input_test.cpp gives them
// to the field parser, record_input_test.cpp reads them through whole input
// statements from the value columns of a line.
#pragma once

#include <cfloat>
#include <cstdint>
#include <string>

namespace field_cases {

struct Real {
    std::string field;  // columns 42-57 of a value line, read as E16.5 (5 implied decimals)
    float expected;
};

inline const Real kReals[] = {
    {"      .12345E+04", 1234.5f},
    {"     -.12300E-03", -0.000123f},
    {"1234.5          ", 1234.5f},
    {"1 234           ", 0.01234f},  // blanks are ignored, 5 implied decimals
    {"12345           ", 0.12345f},
    {"0.12345+04", 1234.5f},         // exponent given by its sign alone
    {"1.5D3", 1500.0f},
    {"1.5d3", 1500.0f},
    {"1.5e-2", 0.015f},
    {"                ", 0.0f},
    {"\t1.5\t", 1.5f},               // tabs are ignored like blanks
    {"+", 0.0f},                     // a sign alone
    {"-", 0.0f},
    {"1", 0.00001f},
    {"   -12.5E1      ", -125.0f},
    {"1E-50", 0.0f},                 // too small for single precision
    {"3.4028234E38", FLT_MAX},
};

// Fields that fail; a NUL byte is a character like any other letter.
inline const std::string kBadReals[] = {
    "1.2.3", "12A", "1.5E", "1.5E+", "E5", ".", "+.", "1.5-", "--1", "1.e39", "3.4028235E38",
    "-1.D40", "1.0\x1A", "9999999.E32",
    "1e44",  // no point: 1e39 after the implied decimals
    std::string("1\0", 2), std::string("1.5\0  ", 6), std::string("\0", 1),
};

struct Integer {
    int w;              // Iw
    std::string field;  // from column 47 on
    std::int32_t expected;
};

inline const Integer kIntegers[] = {
    {1, "1", 1},
    {1, " ", 0},
    {1, "", 0},                   // a short line
    {2, "12", 12},
    {2, "7 9", 7},                // the blank is ignored, not read as a zero
    {3, "-05", -5},
    {11, "-2147483648", INT32_MIN},
    {11, " 2147483647", INT32_MAX},
    {5, "00012", 12},
    {3, "0-5", -5},               // zeros in front of everything else are dropped,
    {4, "0 +7", 7},               // a sign after them included
};

inline const std::string kBadIntegers[] = {".", "A", "1.", "2147483648", "-2147483649", "1-", "10-5", "-0-5"};

}  // namespace field_cases
