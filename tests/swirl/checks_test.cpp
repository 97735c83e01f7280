// What a hand edit does to a data file that still reads: texts edited by
// hand -> findings; and the files the programs write never give one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "swirl/core/cp866_text.h"
#include "swirl/core/usage_error.h"
#include "swirl/model/checks.h"
#include "swirl/model/edits.h"

namespace swirl {
namespace {

const Calculator& program(std::string_view name) { return *find_program(name); }

std::vector<std::string> lines_of(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string_view::npos) end = bytes.size();
        lines.emplace_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// `bytes` (the example when empty) with the read columns of `name` replaced
// by `text`, left-aligned (as a person types over a field).
std::string typed(const Calculator& calc, std::string_view name, std::string_view text, std::string_view bytes = {}) {
    const Field& f = calc.inputs[input_index(calc, name)];
    const FieldPlace p = field_place(f);
    std::vector<std::string> lines = lines_of(bytes.empty() ? calc.example : bytes);
    std::string& line = lines[static_cast<std::size_t>(f.line - 1)];
    const auto first = static_cast<std::size_t>(p.read_first - 1);
    const auto width = static_cast<std::size_t>(p.read_last - p.read_first + 1);
    if (line.size() < first + width) line.resize(first + width, ' ');
    std::string field(text);
    field.resize(width, ' ');
    line.replace(first, width, field);
    return joined(lines);
}

// The example with line `n` (1-based) replaced by `text` (code page 866),
// inserted before it, or removed.
std::string replaced(const Calculator& calc, int n, std::string_view text) {
    std::vector<std::string> lines = lines_of(calc.example);
    lines[static_cast<std::size_t>(n - 1)] = std::string(text);
    return joined(lines);
}
std::string inserted(const Calculator& calc, int n, std::string_view text) {
    std::vector<std::string> lines = lines_of(calc.example);
    lines.insert(lines.begin() + (n - 1), std::string(text));
    return joined(lines);
}
std::string removed(const Calculator& calc, int n) {
    std::vector<std::string> lines = lines_of(calc.example);
    lines.erase(lines.begin() + (n - 1));
    return joined(lines);
}

// A value line of the example with its label columns replaced.
std::string relabelled(const Calculator& calc, std::string_view name, std::string_view label_utf8) {
    const Field& f = calc.inputs[input_index(calc, name)];
    std::string line = lines_of(calc.example)[static_cast<std::size_t>(f.line - 1)];
    std::string label = to_cp866(label_utf8).bytes;
    label = label.substr(0, label.size() - 2);  // the CR LF added to a last line
    const auto width = static_cast<std::size_t>(field_place(f).read_first - 1);
    label.resize(width, ' ');
    return replaced(calc, f.line, label + line.substr(width));
}

TEST(Checks, TheProgramsFilesGiveNoFinding) {
    // The bundled examples, and the reports of each program on them and on
    // each input set to a few values (the report is what every run writes).
    std::vector<std::pair<const Calculator*, std::string>> files;
    for (const Calculator* calc : programs()) files.emplace_back(calc, std::string(calc->example));
    for (const auto& entry : std::filesystem::directory_iterator(EXAMPLES_DIR)) {
        if (entry.path().extension() != ".DAT") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string name = entry.path().filename().string();
        files.emplace_back(&detect_program(name, bytes.str(), std::nullopt), bytes.str());
    }
    for (const Calculator* calc : programs()) {
        std::vector<Value> inputs(calc->inputs.size());
        calculators::ReadFailure failure;
        ASSERT_TRUE(calc->read(calc->example, inputs, failure));
        for (std::size_t k = 0; k < calc->inputs.size(); ++k) {
            const Field& f = calc->inputs[k];
            for (const double v : {0.0, 2.0, f.type == calculators::ValueType::Integer ? 9.0 : -12345.6}) {
                std::vector<Value> changed = inputs;
                changed[k] = hold(f, v).value;
                std::string report;
                if (calc->report(changed, report)) files.emplace_back(calc, report);
            }
        }
    }
    for (const auto& [calc, bytes] : files) {
        const std::vector<Finding> findings = check_data_file(*calc, std::string(calc->data_file), bytes);
        EXPECT_TRUE(findings.empty()) << calc->name << ": " << findings.front().message;
    }
}

TEST(Checks, HandEditedTexts) {
    const Calculator& bilm = program("BILM");
    const Calculator& kerva = program("KERVA");
    const Calculator& zarn1 = program("ZARN1");
    const std::string kerva_name(kerva.data_file);
    const struct {
        const char* what;
        const Calculator& calc;
        std::string bytes;
        std::vector<FindingKind> kinds;  // in order; empty: no finding
        int line;                         // of the first
        const char* input;
        std::string says;
    } cases[] = {
        // Labels: only the name at the end counts.
        {"reworded label", kerva, relabelled(kerva, "QH", "  расход газа, куб. м в час            qh"), {}, 0, "", ""},
        {"name followed by '='", bilm, relabelled(bilm, "Q", "  Q="), {}, 0, "", ""},
        {"Latin TK for Cyrillic ТК", zarn1, relabelled(zarn1, "TK", "  температура                         TK"), {}, 0,
         "", ""},
        {"line inserted above", bilm, inserted(bilm, 1, "my tank"), {FindingKind::Shifted}, 7, "Q",
         "line 7 is read as Q but has no label, line 8 as HG but is labelled Q, line 9 as R1 but is labelled HG, "
         "line 10 as RCR but is labelled R1, line 11 as UPOD but is labelled RCR; a line was inserted or removed "
         "above line 7 (the label of Q stands on line 8)"},
        {"header line removed", kerva, removed(kerva, 3), {FindingKind::Shifted}, 11, "QH",
         "line 11 is read as QH but is labelled ROG"},
        {"many shifted lines", zarn1, inserted(zarn1, 12, ""), {FindingKind::Shifted}, 12, "RK", "and 9 more"},
        {"name dropped from a label", bilm, relabelled(bilm, "HG", "  высота"), {FindingKind::Shifted}, 8, "HG",
         "line 8: the label does not name its input: line 8 is read as HG but is labelled \"высота\"; a value "
         "line's label ends in its input's name"},
        {"shifted values tell nothing else", kerva, inserted(kerva, 1, "  x                                      1000"),
         {FindingKind::Shifted}, 11, "QH", ""},
        // Fields.
        {"no decimal point", kerva, typed(kerva, "QH", "1000"), {FindingKind::ImpliedDecimals}, 11, "QH",
         "QH holds \"1000\", which has no decimal point, so it reads as 0.01 (its last 5 digits are decimals); "
         "type \"1000.\" for 1000"},
        {"no point, F11.4", kerva, typed(kerva, "UVX", "12345"), {FindingKind::ImpliedDecimals}, 22, "UVX",
         "reads as 1.2345 (its last 4 digits"},
        {"no point, exponent", bilm, typed(bilm, "Q", "-25E-3"), {FindingKind::ImpliedDecimals}, 7, "Q",
         "reads as -2.5e-07 (its last 5 digits are decimals); type \"-25.E-3\" for -0.025"},
        {"a comma", bilm, typed(bilm, "R1", "2,5"), {FindingKind::ImpliedDecimals}, 9, "R1",
         "a comma ends the field, and \"2\" has no decimal point, so it reads as 2e-05"},
        {"zero without a point", bilm, typed(bilm, "R1", "0"), {}, 0, "", ""},
        {"blanks join pieces", kerva, typed(kerva, "ROG", "2.5   E+04"), {FindingKind::Leftover}, 12, "ROG",
         "read with its blanks dropped as \"2.5E+04\", which reads as 25000: is part of it left over"},
        {"typed over from the left", bilm, typed(bilm, "Q", "0.000200E-02"), {FindingKind::Leftover}, 7, "Q",
         "Q holds \"0.000200E-02\", which reads as 2e-06: its exponent \"E-02\" stands where a report writes one"},
        {"typed over the mantissa", bilm, typed(bilm, "Q", "  0.0002E-02"), {FindingKind::Leftover}, 7, "Q",
         "reads as 2e-06"},
        {"an exponent typed at the right", bilm, typed(bilm, "Q", "      .1E-02"), {}, 0, "", ""},
        {"the report's own form", kerva, typed(kerva, "ROG", "     -.12300E-03"), {}, 0, "", ""},
        {"two points", bilm, typed(bilm, "HG", "0.0025.4"), {FindingKind::Leftover}, 8, "HG", "two decimal points"},
        {"dangling exponent", bilm, typed(bilm, "HG", "2.5E"), {FindingKind::Leftover}, 8, "HG",
         "an exponent without digits"},
        {"a report field of asterisks", kerva, typed(kerva, "UVX", "1234567."), {FindingKind::Unprintable}, 22, "UVX",
         "UVX reads as 1234567, which its report field (F11.4) prints as asterisks: the next run of KERVA would "
         "lose it"},
        // The file as a whole.
        {"UTF-8", bilm, to_utf8(bilm.example), {FindingKind::Utf8}, 0, "",
         "the file is UTF-8 text, but BILM reads code page 866"},
        {"another program's report by name", bilm, std::string(kerva.example), {FindingKind::OtherProgram}, 0, "",
         "its name says BILM, but its banner is KERVA's: give --program KERVA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Finding> found = check_data_file(c.calc, std::string(c.calc.data_file), c.bytes);
        std::vector<FindingKind> kinds;
        for (const Finding& f : found) kinds.push_back(f.kind);
        EXPECT_EQ(kinds, c.kinds) << (found.empty() ? "" : found.front().message);
        if (found.empty() || c.kinds.empty()) continue;
        EXPECT_EQ(found.front().line, c.line);
        EXPECT_EQ(found.front().input, c.input);
        EXPECT_NE(found.front().message.find(c.says), std::string::npos) << found.front().message;
        if (c.line != 0) {
            EXPECT_TRUE(found.front().message.starts_with("line " + std::to_string(c.line) + ": "));
        }
    }
    // Several at once, in line order.
    const std::string two = typed(bilm, "Q", "1 0", typed(bilm, "R1", "1000"));
    std::vector<FindingKind> kinds;
    for (const Finding& f : check_data_file(bilm, "BILM.DAT", two)) kinds.push_back(f.kind);
    EXPECT_EQ(kinds, (std::vector<FindingKind>{FindingKind::Leftover, FindingKind::ImpliedDecimals}));
}

TEST(Checks, TheMessagesNameTheFileAsItWasGiven) {
    const Calculator& bilm = program("BILM");
    const std::vector<Finding> utf8 = check_data_file(bilm, "runs/my tank.dat", to_utf8(bilm.example));
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_NE(utf8[0].message.find("iconv -f UTF-8 -t CP866 'runs/my tank.dat' > 'runs/my tank.dat'.866 && mv "
                                   "'runs/my tank.dat'.866 'runs/my tank.dat'"),
              std::string::npos)
        << utf8[0].message;
    // Told by --program, not by the name.
    const std::vector<Finding> other = check_data_file(bilm, "case.dat", program("ZARN1").example);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_NE(other[0].message.find("it is read as BILM's, but its banner is ZARN1's"), std::string::npos);
    // ASCII alone is both: no finding.
    std::string ascii(bilm.example);
    for (char& c : ascii)
        if (static_cast<unsigned char>(c) >= 0x80) c = 'X';
    EXPECT_TRUE(check_data_file(bilm, "x.dat", ascii).empty());
}

TEST(Checks, EditRefusesShiftedTextAndTellsTheRest) {
    const Calculator& bilm = program("BILM");
    const EditedFile shifted = data_file_from_text(bilm, text_for_editing(inserted(bilm, 1, "new first line")));
    EXPECT_TRUE(shifted.bytes.empty());
    EXPECT_TRUE(shifted.refusal.starts_with("line 7: the labels do not match the lines")) << shifted.refusal;
    const EditedFile leftover = data_file_from_text(bilm, text_for_editing(typed(bilm, "HG", "0.5 .5")));
    EXPECT_NE(leftover.refusal.find("is not a number: \"0.5 .5"), std::string::npos) << leftover.refusal;
    EXPECT_NE(leftover.refusal.find("; line 8: HG holds \"0.5 .5\", read with its blanks dropped"), std::string::npos);
    EXPECT_EQ(failure_notes(check_data_file(bilm, "BILM.DAT", typed(bilm, "HG", "0.5 .5")), 9), "");
    const EditedFile implied = data_file_from_text(bilm, text_for_editing(typed(bilm, "HG", "5")));
    EXPECT_TRUE(implied.refusal.empty());
    ASSERT_EQ(implied.findings.size(), 1u);
    EXPECT_EQ(implied.findings[0].kind, FindingKind::ImpliedDecimals);
}

TEST(Checks, SetRefusesAValueItsFieldHoldsAsZero) {
    const Calculator& bilm = program("BILM");
    const Calculator& kerva = program("KERVA");
    const struct { const Calculator& calc; std::string text; const char* says; } refused[] = {
        {bilm, "Q=1e-50", "Q=1e-50: too small for single precision: its field would hold 0"},
        {bilm, "Q=-1e-46", "its field would hold 0"},
        {kerva, "UVX=1e6", "UVX: the field (columns 42-52) cannot hold the value"},
        {kerva, "QGE=-100000", "QGE: the field (columns 42-52) cannot hold the value"},
    };
    for (const auto& c : refused) {
        try {
            (void)parse_assignments(c.calc, std::vector<std::string>{c.text});
            ADD_FAILURE() << c.text;
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
    for (const char* text : {"Q=0", "Q=1e-30", "UVX=999999.9"})
        EXPECT_NO_THROW((void)parse_assignments(text[0] == 'U' ? kerva : bilm, std::vector<std::string>{text}));
}

}  // namespace
}  // namespace swirl
