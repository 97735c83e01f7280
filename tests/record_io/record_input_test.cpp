// Input statements: records, columns, character fields, reversion and
// failures, read from records in memory (open_memory), and a memory unit
// reads exactly as a file with the same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "console_capture.h"
#include "field_cases.h"
#include "fixrec/fixrec.h"
#include "test_files.h"

namespace {

using namespace fixrec::literals;
using fixrec::Status;
using test_support::ScopedRun;

const std::string kLabel41(41, 'L');

// Unit 1 connected to `bytes` in memory for the statements of a test.
class MemorySource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {
        EXPECT_EQ(fixrec::open_memory(1, bytes_), Status::Ok);
    }

private:
    ScopedRun run_;  // first: a run begins with every unit disconnected
    std::string bytes_;
};

template <class Dest>
Status read_line(const std::string& line, fixrec::FormatView format, Dest& out) {
    MemorySource source(line + "\r\n");
    return fixrec::read_fields(1, format, {out});
}

TEST(InputStatement, ValueColumnsOfE16_5) {
    std::vector<field_cases::Real> cases(std::begin(field_cases::kReals), std::end(field_cases::kReals));
    cases.push_back({"1,5", 0.00001f});  // the comma ends the field after "1"
    cases.push_back({"", 0.0f});         // the line ends before column 42
    for (const auto& c : cases) {
        float v = -99.0f;
        ASSERT_EQ(read_line(kLabel41 + c.field, "(41X,E16.5)"_fmt, v), Status::Ok) << c.field;
        EXPECT_EQ(v, c.expected) << "field \"" << c.field << "\"";
    }
}

TEST(InputStatement, MalformedRealsFailAndLeaveTheDestination) {
    for (const std::string& field : field_cases::kBadReals) {
        float v = 7.0f;
        EXPECT_NE(read_line(kLabel41 + field, "(41X,E16.5)"_fmt, v), Status::Ok) << field;
        EXPECT_EQ(v, 7.0f) << field;
    }
    float v = 0.0f;
    EXPECT_EQ(read_line(kLabel41 + "12A", "(41X,E16.5)"_fmt, v), Status::BadField);
    EXPECT_EQ(read_line(kLabel41 + "1.0\x1A", "(41X,E16.5)"_fmt, v), Status::EndOfFile);
    EXPECT_EQ(read_line(kLabel41 + "1.E39", "(41X,E16.5)"_fmt, v), Status::RealOverflow);
    EXPECT_EQ(read_line(kLabel41 + "-3.4028236E38", "(41X,E16.5)"_fmt, v), Status::RealOverflow);
    EXPECT_EQ(read_line(kLabel41 + "1.E-50", "(41X,E16.5)"_fmt, v), Status::Ok);  // too small: zero
    EXPECT_EQ(v, 0.0f);
}

TEST(InputStatement, IntegerFields) {
    const std::string skip(46, ' ');
    for (const auto& c : field_cases::kIntegers) {
        std::int32_t v = -1;
        const fixrec::Format format("(46X,I" + std::to_string(c.w) + ")");
        ASSERT_EQ(read_line(skip + c.field, format, v), Status::Ok) << c.field;
        EXPECT_EQ(v, c.expected) << c.field;
    }
    std::int32_t v = -1;
    ASSERT_EQ(read_line(std::string(20, ' '), "(46X,I1)"_fmt, v), Status::Ok);  // short line
    EXPECT_EQ(v, 0);
    for (const std::string& field : field_cases::kBadIntegers) {
        std::int32_t w = 42;
        EXPECT_EQ(read_line(skip + field, "(46X,I11)"_fmt, w), Status::BadField) << field;
        EXPECT_EQ(w, 42);
    }
}

TEST(InputStatement, CharactersAfterTheFieldAreNeverLookedAt) {
    float v = 0.0f;
    // Columns 39-50 hold the value; the unit of measure follows in column 51.
    ASSERT_EQ(read_line(std::string(38, '#') + "  .12000E-02(м3/с) anything 1.2.3", "(38X,E12.5)"_fmt, v),
              Status::Ok);
    EXPECT_EQ(v, 0.0012f);
    ASSERT_EQ(read_line(kLabel41 + "    45.0000XYZ", "(41X,F11.4)"_fmt, v), Status::Ok);
    EXPECT_EQ(v, 45.0f);
    ASSERT_EQ(read_line(kLabel41 + "12345", "(41X,F11.4)"_fmt, v), Status::Ok);
    EXPECT_EQ(v, 1.2345f);  // 4 implied decimals in F11.4
}

TEST(InputStatement, HeaderLinesFillEightyCharacters) {
    const std::string thirty(30, 'h');
    std::string hundred;
    for (int i = 0; i < 100; ++i) hundred.push_back(static_cast<char>('A' + i % 26));
    MemorySource source(thirty + "\r\n" + hundred + "\r\n" + "a\tb\r\n" + "last");
    char header[80];
    const auto dests = fixrec::each_char(header);
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, dests), Status::Ok);
    EXPECT_EQ(std::string(header, 80), thirty + std::string(50, ' '));
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, dests), Status::Ok);
    EXPECT_EQ(std::string(header, 80), hundred.substr(0, 80));
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, dests), Status::Ok);
    EXPECT_EQ(std::string(header, 3), "a\tb");  // a tab is an ordinary character here
    ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, dests), Status::Ok);  // last line without LF
    EXPECT_EQ(std::string(header, 4), "last");
    EXPECT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, dests), Status::EndOfFile);  // no further record
}

TEST(InputStatement, CharacterFieldWidths) {
    MemorySource source("abcdefgh\r\nxy\r\n");
    char three[3];
    char two[2];
    // A5 into 3 characters: the first two are skipped.  A1 into 2: leftmost, rest blank.
    ASSERT_EQ(fixrec::read_fields(1, "(A5,A1)"_fmt, {std::span<char>(three), std::span<char>(two)}), Status::Ok);
    EXPECT_EQ(std::string(three, 3), "cde");
    EXPECT_EQ(std::string(two, 2), "f ");
    ASSERT_EQ(fixrec::read_fields(1, "(A5,A1)"_fmt, {std::span<char>(three), std::span<char>(two)}), Status::Ok);
    EXPECT_EQ(std::string(three, 3), "   ");  // the record ended during the skip
    EXPECT_EQ(std::string(two, 2), "  ");
}

TEST(InputStatement, BareAFieldTakesTheDestinationLength) {
    MemorySource source(std::string(100, 'w') + "xyz\r\n");
    char text[103];
    ASSERT_EQ(fixrec::read_fields(1, "(A)"_fmt, {std::span<char>(text)}), Status::Ok);
    EXPECT_EQ(std::string(text, 103), std::string(100, 'w') + "xyz");
}

TEST(InputStatement, LineEndsReadAlike) {
    const std::string line = kLabel41 + "      .12345E+04";
    for (const std::string ending : {"\r\n", "\n", ""}) {
        MemorySource source("header" + ending + line + ending);
        char header[80];
        float v = 0.0f;
        ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::Ok);
        if (ending.empty()) {
            // Without any line end the whole file is one record.
            EXPECT_EQ(fixrec::read_fields(1, "(41X,E16.5)"_fmt, {v}), Status::EndOfFile);
            continue;
        }
        ASSERT_EQ(fixrec::read_fields(1, "(41X,E16.5)"_fmt, {v}), Status::Ok);
        EXPECT_EQ(v, 1234.5f);
    }
}

TEST(InputStatement, CarriageReturnEndsTheUsableText) {
    // CR-only line ends: one record whose text stops at the first CR.
    MemorySource source(kLabel41 + "  1.5\r" + kLabel41 + "  2.5\r");
    float v = 0.0f;
    ASSERT_EQ(fixrec::read_fields(1, "(41X,E16.5)"_fmt, {v}), Status::Ok);
    EXPECT_EQ(v, 1.5f);
    EXPECT_EQ(fixrec::read_fields(1, "(41X,E16.5)"_fmt, {v}), Status::EndOfFile);
}

TEST(InputStatement, FailureKeepsEarlierDestinations) {
    MemorySource source("1.5 2.5X 3.5\r\n");
    float a = 0.0f;
    float b = 9.0f;
    float c = 9.0f;
    EXPECT_EQ(fixrec::read_fields(1, "(E4.0,E4.0,E4.0)"_fmt, {a, b, c}), Status::BadField);
    EXPECT_EQ(a, 1.5f);
    EXPECT_EQ(b, 9.0f);
    EXPECT_EQ(c, 9.0f);
}

TEST(InputStatement, FormatReversionReadsFurtherRecords) {
    MemorySource source("  1.0\r\n  2.0\r\n  3.0\r\n");
    float a = 0.0f;
    float b = 0.0f;
    ASSERT_EQ(fixrec::read_fields(1, "(E5.0)"_fmt, {a, b}), Status::Ok);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 2.0f);
    ASSERT_EQ(fixrec::read_fields(1, "(E5.0)"_fmt, {a}), Status::Ok);
    EXPECT_EQ(a, 3.0f);
}

TEST(InputStatement, NoRecordToRead) {
    {
        MemorySource empty("");
        char header[80];
        EXPECT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::EndOfFile);
        EXPECT_EQ(fixrec::read_fields(2, "(80A1)"_fmt, fixrec::each_char(header)), Status::NotConnected);
    }
    std::string report;  // outlives the run, which closes the unit at its end
    ScopedRun run;
    ASSERT_EQ(fixrec::open_memory_output(1, report), Status::Ok);
    fixrec::write_line(1, "('a report being written has no further record')"_fmt);
    float v = 0.0f;
    EXPECT_EQ(fixrec::read_fields(1, "(E5.0)"_fmt, {v}), Status::EndOfFile);
}

// ---------------------------------------------------------------------------
// Memory and file alike.  A file is read through the 1024-byte buffer, so
// records that span refills take the other way of the reader; a memory unit
// must give the same values and statuses for the same bytes.

struct Outcome {
    std::vector<Status> statuses;
    std::vector<std::string> texts;
    std::vector<float> reals;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << "statuses";
    for (Status s : o.statuses) *os << ' ' << static_cast<int>(s);
    *os << ", reals";
    for (float v : o.reals) *os << ' ' << v;
    *os << ", " << o.texts.size() << " texts";
}

// Unit 1 connected to `bytes` in memory, or to a file holding them.
void connect(bool from_file, const std::string& bytes, const test_support::TempDir& dir) {
    if (from_file) {
        test_support::write_bytes(dir / "D.DAT", bytes);
        EXPECT_EQ(fixrec::open_old(1, (dir / "D.DAT").string()), Status::Ok);
    } else {
        EXPECT_EQ(fixrec::open_memory(1, bytes), Status::Ok);
    }
}

// Reads to the second end of file, turn by turn with a header and a value format.
Outcome read_all(bool from_file, const std::string& bytes) {
    test_support::TempDir dir;
    ScopedRun run;
    connect(from_file, bytes, dir);
    Outcome o;
    int ends = 0;
    for (int k = 0; ends < 2 && k < 10000; ++k) {
        Status s;
        if (k % 3 == 0) {
            char header[80];
            std::memset(header, '#', sizeof header);
            s = fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header));
            o.texts.emplace_back(header, 80);
        } else {
            float v = -1.0f;
            s = fixrec::read_fields(1, "(41X,E16.5)"_fmt, {v});
            o.reals.push_back(v);
        }
        o.statuses.push_back(s);
        if (s == Status::EndOfFile) ++ends;
    }
    return o;
}

std::string spanning_records() {
    std::string content = std::string(1 << 20, 'x') + "\r\n";  // a 1 MB header line
    for (int i = 1; i <= 50; ++i) {
        content += std::string(700, '-') + "\r\n";
        content += kLabel41 + std::to_string(i) + ".25\r\n";
    }
    return content;
}

TEST(InputStatement, RecordsSpanningBufferRefills) {
    const std::string content = spanning_records();
    for (const bool from_file : {false, true}) {
        SCOPED_TRACE(from_file ? "file" : "memory");
        test_support::TempDir dir;
        ScopedRun run;
        connect(from_file, content, dir);
        char header[80];
        ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::Ok);
        EXPECT_EQ(std::string(header, 80), std::string(80, 'x'));
        for (int i = 1; i <= 50; ++i) {
            float v = 0.0f;
            ASSERT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::Ok);
            ASSERT_EQ(fixrec::read_fields(1, "(41X,E16.5)"_fmt, {v}), Status::Ok);
            EXPECT_EQ(v, static_cast<float>(i) + 0.25f);
        }
        EXPECT_EQ(fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)), Status::EndOfFile);
    }
}

TEST(InputStatement, MemoryReadsAsAFileDoes) {
    const std::string contents[] = {
        "",
        spanning_records(),
        "header\r\n" + kLabel41 + "  1.5\r\nno line end at all",
        "lf only\n" + kLabel41 + "2.5\n",
        kLabel41 + "  1.5\r" + kLabel41 + "  2.5\r",
        "\r\n\r\n" + kLabel41 + "1.0\x1A\r\n" + kLabel41 + "12A\r\n",
        std::string(1023, 'a') + "\r\n" + kLabel41 + "3\r\n",  // the CR LF across a refill
    };
    for (const std::string& bytes : contents) {
        const Outcome memory = read_all(false, bytes);
        EXPECT_EQ(memory, read_all(true, bytes)) << bytes.size() << " bytes";
        EXPECT_GE(memory.statuses.size(), 2u);
    }
}

}  // namespace
