// The library's data file: from a path and from bytes the same, and the
// reason of each way an input section stops reading.
#include <gtest/gtest.h>

#include <string>

#include "swirl/api/data_file.h"
#include "swirl/api/values.h"
#include "test_files.h"

namespace {

using swirl::DataFile;
using swirl::ReadReason;

// The example of `calc` with the read columns of input `name` replaced by
// `text` (blank-padded to the field).
std::string with_field(const swirl::Calculator& calc, std::string_view name, std::string_view text) {
    std::string bytes(calc.example);
    const swirl::Field& f = calc.inputs[swirl::input_index(calc, name)];
    const swirl::FieldPlace place = swirl::field_place(f);
    std::size_t at = 0;
    for (int k = 1; k < f.line; ++k) at = bytes.find('\n', at) + 1;
    std::string field(static_cast<std::size_t>(place.read_last - place.read_first + 1), ' ');
    field.replace(0, text.size(), text);
    bytes.replace(at + static_cast<std::size_t>(place.read_first - 1), field.size(), field);
    return bytes;
}

std::string first_lines(std::string_view bytes, int lines) {
    std::size_t at = 0;
    for (int k = 0; k < lines; ++k) at = bytes.find('\n', at) + 1;
    return std::string(bytes.substr(0, at));
}

void expect_same(const DataFile& a, const DataFile& b) {
    EXPECT_EQ(a.path, b.path);
    EXPECT_EQ(a.bytes, b.bytes);
    EXPECT_EQ(a.calc, b.calc);
    ASSERT_EQ(a.values.size(), b.values.size());
    for (std::size_t k = 0; k < a.values.size(); ++k) {
        EXPECT_EQ(a.values[k].integer, b.values[k].integer);
        EXPECT_EQ(a.values[k].real, b.values[k].real);
    }
    ASSERT_EQ(a.findings.size(), b.findings.size());
    for (std::size_t k = 0; k < a.findings.size(); ++k) EXPECT_EQ(a.findings[k].message, b.findings[k].message);
    ASSERT_EQ(a.reads(), b.reads());
    if (!a.reads()) {
        EXPECT_EQ(a.error->message, b.error->message);
        EXPECT_EQ(a.unreadable().what(), std::string(b.unreadable().what()));
    }
}

TEST(DataFileTest, FromAPathAndFromBytesAlike) {
    const swirl::Calculator& bilm = *swirl::find_program("BILM");
    const swirl::Calculator& kerva = *swirl::find_program("KERVA");
    const std::string reads(bilm.example), stops = with_field(bilm, "R1", "1.2.3");
    const std::string implied = with_field(kerva, "QH", "1000");
    test_support::TempDir dir;
    for (const auto& [name, bytes] : {std::pair{"BILM.DAT", reads}, {"BILM-bad.DAT", stops}, {"KERVA.DAT", implied}}) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        test_support::write_bytes(path, bytes);
        const DataFile file = swirl::open_data_file(path);
        expect_same(file, swirl::data_file_from_bytes(bytes, path));
        EXPECT_EQ(file.findings.empty(), bytes == reads);
    }
    // A file from bytes under a name that does not tell its program: the banner does.
    const DataFile named = swirl::data_file_from_bytes(reads, "tank7.dat");
    EXPECT_EQ(named.calc, &bilm);
    EXPECT_TRUE(named.reads());
    EXPECT_THROW(swirl::data_file_from_bytes("", "x.dat"), swirl::UsageError);
    EXPECT_EQ(swirl::data_file_from_bytes("", "x.dat", "kerva").calc, &kerva);
}

TEST(DataFileTest, TheReasonAndPlaceOfAReadError) {
    const swirl::Calculator& bilm = *swirl::find_program("BILM");
    const swirl::Calculator& kerva = *swirl::find_program("KERVA");
    struct Case {
        const char* what;
        const swirl::Calculator& calc;
        std::string bytes;
        int line;
        std::string field;
        ReadReason reason;
    };
    const Case cases[] = {
        {"not a number", bilm, with_field(bilm, "R1", "1.2.3"), 9, "R1", ReadReason::NotANumber},
        {"beyond single", bilm, with_field(bilm, "Q", "1.E39"), 7, "Q", ReadReason::BeyondSinglePrecision},
        {"a Ctrl-Z", bilm, with_field(bilm, "HG", "1\x1A"), 8, "HG", ReadReason::EndOfFileMark},
        {"ends in the values", bilm, first_lines(bilm.example, 8), 9, "R1", ReadReason::EndOfFile},
        {"ends in the header", bilm, first_lines(bilm.example, 2), 3, "", ReadReason::EndOfFile},
        {"not whole", kerva, with_field(kerva, "NI", "2.5"), 0, "NI", ReadReason::NotAWholeNumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DataFile file = swirl::data_file_from_bytes(c.bytes, "in.dat", std::string(c.calc.name));
        ASSERT_FALSE(file.reads());
        if (c.line != 0) {
            EXPECT_EQ(file.error->line, c.line);
        }
        EXPECT_EQ(file.error->field, c.field);
        EXPECT_EQ(file.error->reason, c.reason);
        EXPECT_NE(std::string(file.unreadable().what()).find("in.dat: the input section of " +
                                                              std::string(c.calc.name) + " does not read: line "),
                  std::string::npos);
        EXPECT_EQ(file.unreadable().code(), calculators::kExitUnreadable);
        EXPECT_THROW((void)file.inputs(), swirl::Failure);
    }
}

TEST(DataFileTest, AFileThatCannotBeOpened) {
    test_support::TempDir dir;
    try {
        (void)swirl::open_data_file((dir / "BILM.DAT").string());
        FAIL() << "opened a missing file";
    } catch (const swirl::Failure& e) {
        EXPECT_EQ(e.code(), calculators::kExitUnreadable);
        EXPECT_EQ(std::string(e.what()), "cannot open " + (dir / "BILM.DAT").string() + ": No such file or directory");
    }
}

TEST(DataFileTest, ValuesSetWrittenBackAndComputed) {
    const swirl::Calculator& bilm = *swirl::find_program("BILM");
    test_support::TempDir dir;
    const std::string path = (dir / "BILM.DAT").string();
    test_support::write_bytes(path, bilm.example);
    const DataFile file = swirl::open_data_file(path);
    const std::vector<std::string> texts{"UPOD=0.08"};
    const std::vector<swirl::Assignment> changes = swirl::parse_assignments(bilm, texts);
    swirl::write_back(file, swirl::set_values(file, changes));
    const DataFile again = swirl::open_data_file(path);
    EXPECT_EQ(again.inputs()[swirl::input_index(bilm, "UPOD")].real, changes[0].held.value.real);
    const calculators::Outcome before = swirl::compute(file), after = swirl::compute(again);
    EXPECT_TRUE(after.valid);
    bool differ = false;
    for (std::size_t k = 0; k < after.results.size(); ++k) differ |= before.results[k].real != after.results[k].real;
    EXPECT_TRUE(differ);
    // A file that does not read is not set; one whose inputs are invalid computes to an exit-3 line.
    const DataFile bad = swirl::data_file_from_bytes(with_field(bilm, "R1", "x"), path);
    EXPECT_THROW((void)swirl::set_values(bad, changes), swirl::Failure);
    const calculators::Outcome invalid = swirl::compute(swirl::data_file_from_bytes(with_field(bilm, "R1", "0."), path));
    EXPECT_FALSE(invalid.valid);
    EXPECT_FALSE(invalid.failure.empty());
    EXPECT_EQ(swirl::computation_invalid(again).code(), calculators::kExitInvalidArithmetic);
    EXPECT_EQ(test_support::read_bytes(path), again.bytes);
}

}  // namespace
