// Field reading through whole records: the value columns of the data files,
// every accepted real form, and every failure.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "fixrec/edit_input.h"
#include "fixrec/edit_output.h"
#include "fixrec/fixrec.h"
#include "test_support.h"

namespace {

using fixrec_test::ScopedRun;
using fixrec_test::ScratchDir;
using fixrec_test::write_file;

const std::string kLabel41(41, 'L');

// Reads `line` (written as the only record of a file) with `format` into one real.
fixrec::Status read_one_real(const std::string& format, const std::string& line, float& out) {
    ScratchDir dir;
    write_file(dir.file("D.DAT"), line + "\r\n");
    ScopedRun run;
    if (fixrec::open_old(1, dir.file("D.DAT")) != fixrec::Status::Ok) return fixrec::Status::OpenFailed;
    return fixrec::read_fields(1, format, {out});
}

fixrec::Status read_one_int(const std::string& format, const std::string& line, std::int32_t& out) {
    ScratchDir dir;
    write_file(dir.file("D.DAT"), line + "\r\n");
    ScopedRun run;
    if (fixrec::open_old(1, dir.file("D.DAT")) != fixrec::Status::Ok) return fixrec::Status::OpenFailed;
    return fixrec::read_fields(1, format, {out});
}

TEST(FieldReading, ValueColumnsOfE16_5) {
    struct Case {
        const char* field;  // columns 42 onwards
        float expected;
    } const cases[] = {
        {"      .12345E+04", 1234.5f},
        {"     -.12300E-03", -0.000123f},
        {"1234.5          ", 1234.5f},
        {"1 234           ", 0.01234f},   // blanks are ignored, 5 implied decimals
        {"12345           ", 0.12345f},
        {"0.12345+04", 1234.5f},          // exponent given by its sign alone
        {"1.5D3", 1500.0f},
        {"1.5d3", 1500.0f},
        {"1.5e-2", 0.015f},
        {"1,5", 0.00001f},                // the comma ends the field after "1"
        {"                ", 0.0f},
        {"", 0.0f},                       // the line ends before column 42
        {"\t1.5\t", 1.5f},                // tabs are ignored like blanks
        {"+", 0.0f},                      // a sign alone
        {"-", 0.0f},
        {"1", 0.00001f},
        {"   -12.5E1      ", -125.0f},
        {"1E-50", 0.0f},                  // too small for single precision
        {"3.4028234E38", FLT_MAX},
    };
    for (const auto& c : cases) {
        float v = -99.0f;
        ASSERT_EQ(read_one_real("(41X,E16.5)", kLabel41 + c.field, v), fixrec::Status::Ok) << c.field;
        EXPECT_EQ(v, c.expected) << "field \"" << c.field << "\"";
    }
}

TEST(FieldReading, MalformedRealsFail) {
    const char* bad[] = {"1.2.3", "12A", "1.5E", "1.5E+", "E5", ".", "+.", "1.5-", "--1",
                         "1.e39", "3.4028235E38", "-1.D40", "1.0\x1A", "9999999.E32",
                         "1e44"};  // 1e44 has no point: 1e39 after the implied decimals
    for (const char* field : bad) {
        float v = 7.0f;
        EXPECT_NE(read_one_real("(41X,E16.5)", kLabel41 + field, v), fixrec::Status::Ok) << field;
        EXPECT_EQ(v, 7.0f) << "a failing field leaves its destination unchanged: " << field;
    }
    // A NUL byte is a character like any other letter: the field fails, it
    // does not end before it.
    for (const std::string& field : {std::string("1\0", 2), std::string("1.5\0  ", 6),
                                    std::string("\0", 1)}) {
        float v = 7.0f;
        EXPECT_NE(read_one_real("(41X,E16.5)", kLabel41 + field, v), fixrec::Status::Ok);
        EXPECT_EQ(v, 7.0f);
    }
}

TEST(FieldReading, CharactersAfterTheFieldAreNeverLookedAt) {
    float v = 0.0f;
    // Columns 39-50 hold the value; the unit of measure follows in column 51.
    ASSERT_EQ(read_one_real("(38X,E12.5)",
                            std::string(38, '#') + "  .12000E-02(м3/с) anything 1.2.3", v),
              fixrec::Status::Ok);
    EXPECT_EQ(v, 0.0012f);
    ASSERT_EQ(read_one_real("(41X,F11.4)", kLabel41 + "    45.0000XYZ", v), fixrec::Status::Ok);
    EXPECT_EQ(v, 45.0f);
    ASSERT_EQ(read_one_real("(41X,F11.4)", kLabel41 + "12345", v), fixrec::Status::Ok);
    EXPECT_EQ(v, 1.2345f);  // 4 implied decimals in F11.4
}

TEST(FieldReading, IntegerFields) {
    struct Case {
        const char* format;
        std::string line;
        std::int32_t expected;
    } const cases[] = {
        {"(46X,I1)", std::string(46, ' ') + "1", 1},
        {"(46X,I1)", std::string(46, ' ') + " ", 0},
        {"(46X,I1)", std::string(20, ' '), 0},          // short line
        {"(46X,I2)", std::string(46, ' ') + "12", 12},
        {"(46X,I2)", std::string(46, ' ') + "7 9", 7},  // the blank is ignored, not a zero
        {"(46X,I3)", std::string(46, ' ') + "-05", -5},
        {"(I11)", "-2147483648", INT32_MIN},
        {"(I11)", " 2147483647", INT32_MAX},
        {"(I5)", "00012", 12},
        // Zeros in front of everything else are dropped before the sign is seen.
        {"(46X,I3)", std::string(46, ' ') + "0-5", -5},
        {"(46X,I4)", std::string(46, ' ') + "0 +7", 7},
    };
    for (const auto& c : cases) {
        std::int32_t v = -1;
        ASSERT_EQ(read_one_int(c.format, c.line, v), fixrec::Status::Ok) << c.line;
        EXPECT_EQ(v, c.expected) << c.line;
    }
    const char* bad[] = {".", "A", "1.", "2147483648", "-2147483649", "1-", "10-5", "-0-5"};
    for (const char* field : bad) {
        std::int32_t v = 42;
        EXPECT_NE(read_one_int("(46X,I11)", std::string(46, ' ') + field, v), fixrec::Status::Ok) << field;
        EXPECT_EQ(v, 42);
    }
}

TEST(FieldReading, HeaderLinesFillEightyCharacters) {
    ScratchDir dir;
    const std::string thirty(30, 'h');
    std::string hundred;
    for (int i = 0; i < 100; ++i) hundred.push_back(static_cast<char>('A' + i % 26));
    write_file(dir.file("H.DAT"), thirty + "\r\n" + hundred + "\r\n" + "a\tb\r\n" + "last");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("H.DAT")), fixrec::Status::Ok);
    char header[80];
    const auto dests = fixrec::each_char(header);
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", dests), fixrec::Status::Ok);
    EXPECT_EQ(std::string(header, 80), thirty + std::string(50, ' '));
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", dests), fixrec::Status::Ok);
    EXPECT_EQ(std::string(header, 80), hundred.substr(0, 80));
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", dests), fixrec::Status::Ok);
    EXPECT_EQ(std::string(header, 3), "a\tb");  // a tab is an ordinary character here
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", dests), fixrec::Status::Ok);  // last line without LF
    EXPECT_EQ(std::string(header, 4), "last");
    EXPECT_NE(fixrec::read_fields(1, "(80A1)", dests), fixrec::Status::Ok);  // no further record
}

TEST(FieldReading, CharacterFieldWidths) {
    ScratchDir dir;
    write_file(dir.file("A.DAT"), "abcdefgh\r\nxy\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("A.DAT")), fixrec::Status::Ok);
    char three[3];
    char two[2];
    // A5 into 3 characters: the first two are skipped.  A1 into 2: leftmost, rest blank.
    ASSERT_EQ(fixrec::read_fields(1, "(A5,A1)", {std::span<char>(three), std::span<char>(two)}), fixrec::Status::Ok);
    EXPECT_EQ(std::string(three, 3), "cde");
    EXPECT_EQ(std::string(two, 2), "f ");
    ASSERT_EQ(fixrec::read_fields(1, "(A5,A1)", {std::span<char>(three), std::span<char>(two)}), fixrec::Status::Ok);
    EXPECT_EQ(std::string(three, 3), "   ");  // the record ended during the skip
    EXPECT_EQ(std::string(two, 2), "  ");
}

TEST(FieldReading, BareAFieldTakesTheDestinationLength) {
    ScratchDir dir;
    write_file(dir.file("W.DAT"), std::string(100, 'w') + "xyz\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("W.DAT")), fixrec::Status::Ok);
    char text[103];
    ASSERT_EQ(fixrec::read_fields(1, "(A)", {std::span<char>(text)}), fixrec::Status::Ok);
    EXPECT_EQ(std::string(text, 103), std::string(100, 'w') + "xyz");
}

TEST(FieldReading, LineEndsReadAlike) {
    const std::string line = kLabel41 + "      .12345E+04";
    for (const std::string ending : {"\r\n", "\n", ""}) {
        ScratchDir dir;
        write_file(dir.file("E.DAT"), "header" + ending + line + ending);
        ScopedRun run;
        ASSERT_EQ(fixrec::open_old(1, dir.file("E.DAT")), fixrec::Status::Ok);
        char header[80];
        float v = 0.0f;
        if (ending.empty()) {
            // Without any line end the whole file is one record.
            ASSERT_EQ(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
            EXPECT_NE(fixrec::read_fields(1, "(41X,E16.5)", {v}), fixrec::Status::Ok);
            continue;
        }
        ASSERT_EQ(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
        ASSERT_EQ(fixrec::read_fields(1, "(41X,E16.5)", {v}), fixrec::Status::Ok);
        EXPECT_EQ(v, 1234.5f);
    }
}

TEST(FieldReading, CarriageReturnEndsTheUsableText) {
    ScratchDir dir;
    // CR-only line ends: one record whose text stops at the first CR.
    write_file(dir.file("C.DAT"), kLabel41 + "  1.5\r" + kLabel41 + "  2.5\r");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("C.DAT")), fixrec::Status::Ok);
    float v = 0.0f;
    ASSERT_EQ(fixrec::read_fields(1, "(41X,E16.5)", {v}), fixrec::Status::Ok);
    EXPECT_EQ(v, 1.5f);
    EXPECT_NE(fixrec::read_fields(1, "(41X,E16.5)", {v}), fixrec::Status::Ok);
}

TEST(FieldReading, RecordsSpanningBufferRefills) {
    ScratchDir dir;
    std::string content;
    const std::string huge(1 << 20, 'x');  // a 1 MB header line
    content += huge + "\r\n";
    for (int i = 1; i <= 50; ++i) {
        content += std::string(700, '-') + "\r\n";
        content += kLabel41 + std::to_string(i) + ".25\r\n";
    }
    write_file(dir.file("B.DAT"), content);
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("B.DAT")), fixrec::Status::Ok);
    char header[80];
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
    EXPECT_EQ(std::string(header, 80), std::string(80, 'x'));
    for (int i = 1; i <= 50; ++i) {
        float v = 0.0f;
        ASSERT_EQ(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
        ASSERT_EQ(fixrec::read_fields(1, "(41X,E16.5)", {v}), fixrec::Status::Ok);
        EXPECT_EQ(v, static_cast<float>(i) + 0.25f);
    }
    EXPECT_NE(fixrec::read_fields(1, "(80A1)", fixrec::each_char(header)), fixrec::Status::Ok);
}

TEST(FieldReading, FailureKeepsEarlierDestinations) {
    ScratchDir dir;
    write_file(dir.file("F.DAT"), "1.5 2.5X 3.5\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("F.DAT")), fixrec::Status::Ok);
    float a = 0.0f;
    float b = 9.0f;
    float c = 9.0f;
    EXPECT_NE(fixrec::read_fields(1, "(E4.0,E4.0,E4.0)", {a, b, c}), fixrec::Status::Ok);
    EXPECT_EQ(a, 1.5f);
    EXPECT_EQ(b, 9.0f);
    EXPECT_EQ(c, 9.0f);
}

TEST(FieldReading, FormatReversionReadsFurtherRecords) {
    ScratchDir dir;
    write_file(dir.file("R.DAT"), "  1.0\r\n  2.0\r\n  3.0\r\n");
    ScopedRun run;
    ASSERT_EQ(fixrec::open_old(1, dir.file("R.DAT")), fixrec::Status::Ok);
    float a = 0.0f;
    float b = 0.0f;
    ASSERT_EQ(fixrec::read_fields(1, "(E5.0)", {a, b}), fixrec::Status::Ok);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 2.0f);
    ASSERT_EQ(fixrec::read_fields(1, "(E5.0)", {a}), fixrec::Status::Ok);
    EXPECT_EQ(a, 3.0f);
}

// Every value a report writes reads back as the float nearest the printed text.
TEST(FieldReading, PrintedFieldsReadBackExactly) {
    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    for (int i = 0; i < 20000; ++i) {
        const auto v = static_cast<float>((gen() & 1 ? -1.0 : 1.0) * std::pow(10.0, exponent(gen)));
        for (const auto& [w, d, e_form] : {std::tuple{16, 5, true}, {12, 5, true}, {11, 4, false}}) {
            const std::string text = e_form ? fixrec::format_e(v, w, d) : fixrec::format_f(v, w, d);
            if (text.find('*') != std::string::npos) continue;
            float back = 0.0f;
            ASSERT_EQ(fixrec::read_real(text, d, back), fixrec::InputStatus::Ok) << text;
            const float nearest = std::strtof(text.c_str(), nullptr);
            ASSERT_EQ(back, nearest) << text;
            // And writing it again gives the same text: a report is a fixed point.
            ASSERT_EQ(e_form ? fixrec::format_e(back, w, d) : fixrec::format_f(back, w, d), text);
        }
    }
}

TEST(FieldReading, CtrlZInANumericFieldReadsAsEndOfFile) {
    float v = 0.0f;
    EXPECT_EQ(fixrec::read_real("1.\x1A", 5, v), fixrec::InputStatus::EndOfFile);
    std::int32_t i = 0;
    EXPECT_EQ(fixrec::read_integer("\x1A", i), fixrec::InputStatus::EndOfFile);
}

}  // namespace
