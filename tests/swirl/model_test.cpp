// What swirl knows of the programs: detection, inputs by name, values as a
// data file holds them, and one field replaced with every other byte kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swirl/core/cp866_text.h"
#include "swirl/core/usage_error.h"
#include "swirl/model/model.h"

namespace swirl {
namespace {

const Calculator& bilm() { return *find_program("BILM"); }

TEST(Detection, OptionThenNameThenBanner) {
    const std::string report(bilm().example);
    const struct { const char* path; std::string bytes; std::optional<std::string_view> option; const char* program; } cases[] = {
        {"x/any.dat", "", "bilm", "BILM"},
        {"runs/Bilm-2.dat", "", std::nullopt, "BILM"},
        {"runs/case7.dat", report, std::nullopt, "BILM"},
        {"runs/case8.dat", to_utf8(report), std::nullopt, "BILM"},  // converted by mistake: read says so
    };
    for (const auto& c : cases) EXPECT_EQ(detect_program(c.path, c.bytes, c.option).name, c.program) << c.path;
    // Every program's own report names it in its banner.
    for (const Calculator* p : programs())
        EXPECT_EQ(detect_program("case.dat", p->example, std::nullopt).name, p->name);
    EXPECT_THROW(detect_program("case7.dat", "no banner here", std::nullopt), UsageError);
    EXPECT_THROW(detect_program("BILM.DAT", "", "FUNNEL"), UsageError);
}

TEST(Inputs, ByNameInAnyCase) {
    EXPECT_EQ(bilm().inputs[input_index(bilm(), "upod")].name, "UPOD");
    try {
        (void)input_index(bilm(), "QQ");
        FAIL();
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("Q, HG, R1, RCR, UPOD"), std::string::npos) << e.what();
    }
}

TEST(Hold, TheReportsFieldReadBack) {
    const Field& q = bilm().inputs[0];
    const FieldPlace place = field_place(q);
    EXPECT_EQ(place.read_first, 39);
    EXPECT_EQ(place.read_last, 50);
    EXPECT_EQ(place.report_first, 39);
    EXPECT_EQ(place.report_last, 50);
    const struct { double typed; const char* field; float held; bool exact; } cases[] = {
        {0.001, "  .10000E-02", 0.001f, true},
        {0.1234567, "  .12346E+00", 0.12346f, false},
        {-250, " -.25000E+03", -250.0f, true},
        {0, "  .00000E+00", 0.0f, true},
    };
    for (const auto& c : cases) {
        const Held h = hold(q, c.typed);
        EXPECT_EQ(h.field, c.field) << c.typed;
        EXPECT_EQ(h.value.real, c.held) << c.typed;
        EXPECT_EQ(h.exact, c.exact) << c.typed;
    }
    EXPECT_THROW(hold(q, 1e39), UsageError);  // beyond single precision
}

TEST(PutField, OnlyThatFieldChanges) {
    const std::string original(bilm().example);
    const Field& hg = bilm().inputs[1];
    const std::string changed = put_field(original, hg, hold(hg, 2.5));
    ASSERT_EQ(changed.size(), original.size());
    std::vector<std::size_t> differ;
    for (std::size_t i = 0; i < original.size(); ++i)
        if (original[i] != changed[i]) differ.push_back(i);
    ASSERT_FALSE(differ.empty());
    const std::size_t line8 = [&] {
        std::size_t at = 0;
        for (int k = 1; k < 8; ++k) at = original.find('\n', at) + 1;
        return at;
    }();
    for (std::size_t i : differ) EXPECT_TRUE(i >= line8 + 38 && i < line8 + 50) << i;
    EXPECT_EQ(field_text(changed, hg), "  .25000E+01");

    std::vector<Value> inputs(bilm().inputs.size());
    calculators::ReadFailure failure;
    ASSERT_TRUE(bilm().read(changed, inputs, failure));
    EXPECT_EQ(inputs[1].real, 2.5f);
}

TEST(PutField, AShortLineIsLengthenedBeforeItsEnd) {
    std::string bytes;
    for (int k = 1; k <= 11; ++k) bytes += k == 9 ? "R1\r\n" : "line " + std::to_string(k) + "\r\n";
    const Field& r1 = bilm().inputs[2];
    const std::string changed = put_field(bytes, r1, hold(r1, 0.05));
    EXPECT_NE(changed.find("R1" + std::string(36, ' ') + "  .50000E-01\r\nline 10"), std::string::npos);
}

}  // namespace
}  // namespace swirl

namespace swirl {
namespace {

// KERVA reads NI and VID as I2 (columns 47-48) and prints them as I1
// (column 47), or as I2 when one digit cannot hold them; its angles and
// coefficients are F11.4 fields.
TEST(Hold, IntegerAndFixedFields) {
    const Calculator& kerva = *find_program("kerva");
    const Field& ni = kerva.inputs[input_index(kerva, "NI")];
    const FieldPlace place = field_place(ni);
    EXPECT_EQ(place.read_first, 47);
    EXPECT_EQ(place.read_last, 48);
    EXPECT_EQ(place.report_first, 47);
    EXPECT_EQ(place.report_last, 47);
    EXPECT_EQ(hold(ni, 4).field, "4");
    EXPECT_EQ(hold(ni, 4).value.integer, 4);
    EXPECT_EQ(hold(ni, 10).field, "10");
    EXPECT_EQ(hold(ni, -1).field, "-1");
    EXPECT_EQ(printed(ni, hold(ni, 12).value), "12");
    for (double refused : {2.5, 100.0, -10.0}) EXPECT_THROW(hold(ni, refused), UsageError) << refused;

    // Written into a line that ends after the one digit of the old value.
    const std::string with_ten = put_field(kerva.example, ni, hold(ni, 10));
    EXPECT_EQ(field_text(with_ten, ni), "10");
    EXPECT_EQ(field_text(put_field(with_ten, ni, hold(ni, 3)), ni), "3 ");
    std::vector<Value> inputs(kerva.inputs.size());
    calculators::ReadFailure failure;
    ASSERT_TRUE(kerva.read(with_ten, inputs, failure));
    EXPECT_EQ(inputs[input_index(kerva, "NI")].integer, 10);

    const Field& uvx = kerva.inputs[input_index(kerva, "UVX")];
    EXPECT_EQ(hold(uvx, 45.25).field, "    45.2500");
    EXPECT_FALSE(hold(uvx, 45.123456).exact);
    EXPECT_THROW(hold(uvx, 1e7), UsageError);  // asterisks
}

}  // namespace
}  // namespace swirl
