// Code page 866 <-> UTF-8 for whole texts: line ends, the first place that
// cannot be converted, and every byte there and back.
#include <gtest/gtest.h>

#include <string>

#include "swirl/core/cp866_text.h"

namespace swirl {
namespace {

TEST(Cp866Text, ToUtf8KeepsLineEnds) {
    EXPECT_EQ(to_utf8("\x80\x9F\xA0\xAF\xE0\xEF\xF0\xF1\xFC\xFF"), "АЯапряЁё№\u00A0");
    EXPECT_EQ(to_utf8("\xB3\xC4\xDB\r\nG=0.1\n"), "│─█\r\nG=0.1\n");
}

TEST(Cp866Text, ToCp866EndsEveryLineWithCrLf) {
    const struct { std::string utf8, cp866; } cases[] = {
        {"", ""},
        {"Ёж", "\xF0\xA6\r\n"},
        {"a\r\nb", "a\r\nb\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\n\n", "a\r\n\r\n"},
        {"\xEF\xBB\xBF" "x", "x\r\n"},
        {"\t№\x01", "\t\xFC\x01\r\n"},
    };
    for (const auto& c : cases) {
        const Cp866Text r = to_cp866(c.utf8);
        EXPECT_FALSE(r.error) << c.utf8;
        EXPECT_EQ(r.bytes, c.cp866) << c.utf8;
    }
}

TEST(Cp866Text, ToCp866ReportsTheFirstBadPlace) {
    const struct { std::string utf8; std::size_t line, column; const char* what; } cases[] = {
        {"ab\nc€d", 2, 2, "character U+20AC has no code page 866 byte"},
        {"ok\r\nЖж😀", 2, 3, "character U+1F600"},
        {"Жж\xFF", 1, 3, "invalid UTF-8 byte 0xFF"},
        {"x\x80", 1, 2, "invalid UTF-8 byte 0x80"},
        {"x\xD0", 1, 2, "incomplete UTF-8 sequence"},
        {"\xC0\x80", 1, 1, "invalid UTF-8 byte 0xC0"},
        {"\xE0\x80\xAF", 1, 1, "invalid UTF-8 sequence"},
        {"\xED\xA0\x80", 1, 1, "invalid UTF-8 sequence"},  // a surrogate
        {"\xF4\x90\x80\x80", 1, 1, "invalid UTF-8 sequence"},
        {"a\rb", 1, 2, "a carriage return not followed by a line feed"},
    };
    for (const auto& c : cases) {
        const Cp866Text r = to_cp866(c.utf8);
        ASSERT_TRUE(r.error) << c.utf8;
        EXPECT_EQ(r.error->line, c.line) << c.utf8;
        EXPECT_EQ(r.error->column, c.column) << c.utf8;
        EXPECT_EQ(r.error->what.find(c.what), 0u) << r.error->what;
        EXPECT_TRUE(r.bytes.empty());
    }
}

// Every byte but CR and LF (the line ends, normalised) goes there and back;
// a data file already in CR LF comes back byte for byte.
TEST(Cp866Text, RoundTrip) {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
    const Cp866Text line = to_cp866(to_utf8(bytes));
    ASSERT_FALSE(line.error) << line.error->what;
    EXPECT_EQ(line.bytes, bytes + "\r\n");

    const std::string file = "\x8F\xA0\xE0\xA0\xAC\xA5\xE2\xE0\xEB\r\n  0.1     G\r\n\r\n";
    EXPECT_EQ(to_cp866(to_utf8(file)).bytes, file);
}

}  // namespace
}  // namespace swirl
