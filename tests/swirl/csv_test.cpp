// CSV: quoting as RFC 4180 asks, and the reader taking back what the writer
// wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swirl/core/csv.h"

namespace swirl {
namespace {

using Row = std::vector<std::string>;

TEST(CsvWrite, QuotesOnlyWhereNeeded) {
    const struct { Row fields; const char* text; } cases[] = {
        {{"G", "0.1", "-1e+20"}, "G,0.1,-1e+20\r\n"},
        {{"1,5"}, "\"1,5\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"two\nlines", "cr\r"}, "\"two\nlines\",\"cr\r\"\r\n"},
        {{" lead", "trail\t", "in side"}, "\" lead\",\"trail\t\",in side\r\n"},
        {{""}, "\"\"\r\n"},
        {{"", ""}, ",\r\n"},
        {{"a", ""}, "a,\r\n"},
        {{"Скорость V", "м/с"}, "Скорость V,м/с\r\n"},
    };
    for (const auto& c : cases) {
        std::string out;
        append_csv_row(out, c.fields);
        EXPECT_EQ(out, c.text);
    }
    std::string out = "x\r\n";  // a row of one empty field after another row
    append_csv_field(out, "", true);
    end_csv_row(out);
    EXPECT_EQ(out, "x\r\n\"\"\r\n");
}

TEST(CsvRead, TakesBackWhatWasWritten) {
    const std::vector<Row> rows = {
        {"name", "value, unit", "note"},
        {"\"quoted\"", "", " blank "},
        {"", "", ""},
        {"line\r\nbreak", "lone\rCR", "Ёж\n"},
        {"1e-05", "-0", "3.4028235e+38"},
    };
    std::string text;
    for (const auto& r : rows) append_csv_row(text, r);
    const CsvTable t = read_csv(text);
    EXPECT_EQ(t.columns, rows[0]);
    EXPECT_EQ(t.rows, std::vector<Row>(rows.begin() + 1, rows.end()));

    // LF line ends, no line end at the end, a byte order mark
    EXPECT_EQ(read_csv("\xEF\xBB\xBF" "a,b\n1,\"x\"\r\n2,y").rows, (std::vector<Row>{{"1", "x"}, {"2", "y"}}));
}

TEST(CsvRead, ErrorsNameTheLine) {
    const struct { const char* text; const char* message; } cases[] = {
        {"", "empty"},
        {"a,b\r\n1\r\n", "line 2: 1 cells, the header has 2"},
        {"a\r\n\"x\ny\"\r\n1,2\r\n", "line 4: 2 cells"},
        {"a\r\n\"open\r\n", "line 3: the quoted field opened on line 2 is not closed"},
        {"a\r\nx\"y\r\n", "line 2: a quote inside an unquoted field"},
        {"a\r\n\"x\"y\r\n", "line 2: text after the closing quote"},
        {"a\rb\r\n", "line 1: a carriage return without a line feed"},
    };
    for (const auto& c : cases) {
        try {
            read_csv(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const CsvError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace swirl
