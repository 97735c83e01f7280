// The built swirl command against the built programs, on data files in
// scratch directories: show and its JSON, set on every input of every
// program and each refusal, new, edit driven by a scripted editor, run on a
// renamed file, and the command line itself.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <stdlib.h>
#include <sys/stat.h>

#include <bit>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run_program.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/model/edits.h"
#include "swirl/model/model.h"
#include "test_files.h"

namespace swirl {
namespace {

namespace fs = std::filesystem;
using calculators::Outcome;
using calculators::ReadFailure;
using calculators::ValueType;
using test_support::read_bytes;
using test_support::RunResult;
using test_support::TempDir;
using test_support::write_bytes;

constexpr int kUsage = 64;

// The built program of each name.
std::string program_path(std::string_view name) {
    static const std::map<std::string, std::string, std::less<>> paths{
        {"BILM", BILM_PATH}, {"KERVA", KERVA_PATH}, {"ZARN1", ZARN1_PATH}};
    return paths.find(name)->second;
}

RunResult swirl(std::vector<std::string> args, std::optional<std::string> keyboard = std::nullopt) {
    test_support::RunOptions o;
    o.program = SWIRL_PATH;
    o.args = std::move(args);
    o.stdin_text = std::move(keyboard);
    return test_support::run_program(o);
}

// The program itself on `bytes` as its own data file in a directory of its
// own: its exit code, console and the file afterwards.
struct ProgramRun {
    RunResult result;
    std::string file;
};
ProgramRun run_program_on(const Calculator& calc, const std::string& bytes) {
    TempDir dir;
    write_bytes(dir / calc.data_file, bytes);
    test_support::RunOptions o;
    o.program = program_path(calc.name);
    o.cwd = dir.path().string();
    ProgramRun run{test_support::run_program(o), {}};
    run.file = read_bytes(dir / calc.data_file);
    return run;
}

std::vector<Value> read_or_fail(const Calculator& calc, std::string_view bytes) {
    std::vector<Value> inputs(calc.inputs.size());
    ReadFailure failure;
    EXPECT_TRUE(calc.read(bytes, inputs, failure)) << "line " << failure.line;
    return inputs;
}

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

bool same(const Field& f, const Value& a, const Value& b) {
    return f.type == ValueType::Integer ? a.integer == b.integer : bits(a.real) == bits(b.real);
}

// A JSON number as the field's value.
Value json_value(const Field& f, const nlohmann::json& j) {
    Value v;
    if (f.type == ValueType::Integer)
        v.integer = j.get<std::int32_t>();
    else
        v.real = static_cast<float>(j.get<double>());
    return v;
}

// The console lines of a program run, in UTF-8 without their line ends.
std::vector<std::string> console_lines(const std::string& cp866) {
    std::vector<std::string> lines;
    const std::string text = to_utf8(cp866);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

// Offsets of line `line` (1-based) in bytes.
std::size_t line_start(std::string_view bytes, int line) {
    std::size_t at = 0;
    for (int k = 1; k < line; ++k) at = bytes.find('\n', at) + 1;
    return at;
}

// `bytes` with the read columns of an input replaced by `text`, right-aligned.
std::string with_field(std::string_view bytes, const Field& f, const std::string& text) {
    const FieldPlace p = field_place(f);
    std::string s(bytes);
    const std::size_t width = static_cast<std::size_t>(p.read_last - p.read_first + 1);
    s.replace(line_start(s, f.line) + static_cast<std::size_t>(p.read_first - 1), width,
              std::string(width - text.size(), ' ') + text);
    return s;
}

// Values that keep each program's example computing when one input is set.
// Reals not listed take 1.25 times their value in the example.
const std::map<std::string, std::string> kSetValues = {
    {"KERVA.NI", "2"}, {"KERVA.VID", "2"}, {"ZARN1.VID", "2"}, {"ZARN1.NVS", "1"}};

std::string value_to_set(const Calculator& calc, const Field& f, const Value& now) {
    if (const auto it = kSetValues.find(std::string(calc.name) + "." + std::string(f.name)); it != kSetValues.end())
        return it->second;
    if (f.type == ValueType::Integer) ADD_FAILURE() << calc.name << " " << f.name << ": no value to set";
    return shortest(now.real == 0.0f ? 1.0f : now.real * 1.25f);
}

// Inputs that make each program's computation invalid.
const std::map<std::string, std::string> kInvalid = {{"BILM", "R1=0"}, {"KERVA", "QH=0"}, {"ZARN1", "RO=0"}};

// ---------------------------------------------------------------------------
// show

// Every example of examples/ (ZARN1 has two).
TEST(Show, EachExampleAsTheProgramComputesIt) {
    for (const fs::directory_entry& example : fs::directory_iterator(EXAMPLES_DIR)) {
        const std::string bytes = read_bytes(example.path());
        const Calculator* calc = &detect_program(example.path().filename().string(), bytes, std::nullopt);
        SCOPED_TRACE(example.path().filename().string());
        TempDir dir;
        // Told by the base name, in lower case.
        std::string name(calc->name);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const fs::path file = dir / (name + "-case.dat");
        write_bytes(file, bytes);
        const ProgramRun program = run_program_on(*calc, bytes);
        ASSERT_EQ(program.result.exit_code, 0);

        const RunResult json = swirl({"show", file.string(), "--json"});
        ASSERT_EQ(json.exit_code, 0) << json.err;
        const nlohmann::json doc = nlohmann::json::parse(json.out);
        EXPECT_EQ(doc["program"], calc->name);
        EXPECT_EQ(doc["status"], "ok");
        const std::vector<Value> inputs = read_or_fail(*calc, bytes);
        Outcome out;
        calc->compute(inputs, true, out);
        ASSERT_EQ(doc["inputs"].size(), calc->inputs.size());
        for (std::size_t k = 0; k < calc->inputs.size(); ++k) {
            const Field& f = calc->inputs[k];
            const nlohmann::json& j = doc["inputs"][k];
            EXPECT_EQ(j["name"], f.name);
            EXPECT_EQ(j["line"], f.line);
            EXPECT_TRUE(same(f, json_value(f, j["value"]), inputs[k])) << f.name;
            EXPECT_EQ(j["printed"], printed(f, inputs[k]));
        }
        ASSERT_EQ(doc["results"].size(), calc->results.size());
        for (std::size_t k = 0; k < calc->results.size(); ++k) {
            const Field& f = calc->results[k];
            EXPECT_EQ(doc["results"][k]["computed"], out.computed[k]) << f.name;
            if (out.computed[k])
                EXPECT_TRUE(same(f, json_value(f, doc["results"][k]["value"]), out.results[k])) << f.name;
            else
                EXPECT_TRUE(doc["results"][k]["value"].is_null()) << f.name;
        }
        ASSERT_EQ(doc["verdicts"].size(), calc->verdicts.size());
        for (std::size_t k = 0; k < calc->verdicts.size(); ++k) {
            const nlohmann::json& v = doc["verdicts"][k];
            EXPECT_EQ(v["name"], calc->verdicts[k].name);
            if (out.verdicts[k].empty())
                EXPECT_TRUE(v["text"].is_null()) << calc->verdicts[k].name;
            else
                EXPECT_EQ(v["text"], to_utf8(out.verdicts[k]));
        }
        EXPECT_EQ(doc["messages"].get<std::vector<std::string>>(), console_lines(program.result.out));
        EXPECT_EQ(doc.contains("profiles"), !out.tables.empty());

        // The text: every value as the report prints it, then the console.
        const RunResult text = swirl({"show", file.string()});
        ASSERT_EQ(text.exit_code, 0) << text.err;
        for (std::size_t k = 0; k < calc->inputs.size(); ++k)
            EXPECT_NE(text.out.find(printed(calc->inputs[k], inputs[k])), std::string::npos) << calc->inputs[k].name;
        for (std::size_t k = 0; k < calc->results.size(); ++k)
            EXPECT_NE(text.out.find(out.computed[k] ? printed(calc->results[k], out.results[k]) : "not computed"),
                      std::string::npos);
        for (std::size_t k = 0; k < calc->verdicts.size(); ++k) {
            if (out.verdicts[k].empty()) continue;
            EXPECT_NE(text.out.find(std::string(calc->verdicts[k].name) + ": " + to_utf8(out.verdicts[k]) + "\n"),
                      std::string::npos);
        }
        for (const std::string& line : console_lines(program.result.out))
            EXPECT_NE(text.out.find(line + "\n"), std::string::npos) << line;
    }
}

TEST(Show, InvalidArithmeticShowsTheInputsAndTheProgramsLine) {
    for (const Calculator* calc : programs()) {
        SCOPED_TRACE(calc->name);
        const std::string assignment = kInvalid.at(std::string(calc->name));
        const std::size_t eq = assignment.find('=');
        const Field& f = calc->inputs[input_index(*calc, assignment.substr(0, eq))];
        const std::string bytes = with_field(calc->example, f, assignment.substr(eq + 1) + ".");
        const ProgramRun program = run_program_on(*calc, bytes);
        ASSERT_EQ(program.result.exit_code, 3);
        const std::string failure_line = console_lines(program.result.out).back();

        TempDir dir;
        write_bytes(dir / "case.dat", bytes);
        const std::string program_option = "--program=" + std::string(calc->name);
        const RunResult text = swirl({"show", (dir / "case.dat").string(), program_option});
        EXPECT_EQ(text.exit_code, 3);
        EXPECT_NE(text.out.find(std::string(f.name)), std::string::npos);
        EXPECT_TRUE(text.out.ends_with(failure_line + "\n")) << text.out;

        const RunResult json = swirl({"show", (dir / "case.dat").string(), program_option, "--json"});
        EXPECT_EQ(json.exit_code, 3);
        const nlohmann::json doc = nlohmann::json::parse(json.out);
        EXPECT_EQ(doc["status"], "invalid");
        EXPECT_EQ(doc["reason"], failure_line);
        EXPECT_TRUE(doc["results"].empty());
        EXPECT_EQ(doc["inputs"].size(), calc->inputs.size());
        EXPECT_EQ(read_bytes(dir / "case.dat"), bytes);
    }
}

TEST(Show, AnUnreadableFileNamesTheLineTheFieldAndWhy) {
    for (const Calculator* calc : programs()) {
        SCOPED_TRACE(calc->name);
        const Field& first = calc->inputs.front();  // a real in every program
        const Field& last = calc->inputs.back();
        const FieldPlace at = field_place(first);
        const std::string example(calc->example);
        const struct {
            const Field& field;
            std::string bytes;
            std::string says;
        } cases[] = {
            {last, with_field(example, last, "x"),
             "line " + std::to_string(last.line) + ", column " + std::to_string(field_place(last).read_first) + ": " +
                 std::string(last.name)},
            {last, example.substr(0, line_start(example, last.line)),
             "line " + std::to_string(last.line) + ": the file ends before " + std::string(last.name)},
            // FIXREC's status for a real beyond single precision, carried to the message.
            {first, with_field(example, first, "1.E39"),
             "line " + std::to_string(first.line) + ", column " + std::to_string(at.read_first) + ": " +
                 std::string(first.name) + " (columns " + std::to_string(at.read_first) + "-" +
                 std::to_string(at.read_last) + ") is beyond single precision: \"" +
                 std::string(static_cast<std::size_t>(at.read_last - at.read_first + 1) - 5, ' ') + "1.E39\""},
        };
        for (const auto& c : cases) {
            TempDir dir;
            write_bytes(dir / "case.dat", c.bytes);
            const std::string program_option = "--program=" + std::string(calc->name);
            const RunResult text = swirl({"show", (dir / "case.dat").string(), program_option});
            EXPECT_EQ(text.exit_code, 2);
            EXPECT_NE(text.err.find(c.says), std::string::npos) << text.err;
            const RunResult json = swirl({"show", (dir / "case.dat").string(), program_option, "--json"});
            EXPECT_EQ(json.exit_code, 2);
            const nlohmann::json doc = nlohmann::json::parse(json.out);
            EXPECT_EQ(doc["status"], "unreadable");
            EXPECT_EQ(doc["failure"]["line"], c.field.line);
            EXPECT_EQ(doc["failure"]["field"], c.field.name);
            EXPECT_NE(doc["failure"]["message"].get<std::string>().find(c.says), std::string::npos);
        }
    }
}

// ---------------------------------------------------------------------------
// set

// Every input of every program: the program then reads exactly the value the
// field holds, and no byte outside that field changed.
TEST(Set, EachInputOfEachProgram) {
    for (const Calculator* calc : programs()) {
        const std::string example(calc->example);
        const std::vector<Value> before = read_or_fail(*calc, example);
        for (std::size_t k = 0; k < calc->inputs.size(); ++k) {
            const Field& f = calc->inputs[k];
            const std::string typed = value_to_set(*calc, f, before[k]);
            SCOPED_TRACE(std::string(calc->name) + " " + std::string(f.name) + "=" + typed);
            TempDir dir;
            const fs::path file = dir / (std::string(calc->name) + "-set.dat");
            write_bytes(file, example);
            // Names in any case: every other one in lower case.
            std::string name(f.name);
            if (k % 2 == 1)
                for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const RunResult set = swirl({"set", file.string(), name + "=" + typed});
            ASSERT_EQ(set.exit_code, 0) << set.err;
            const Held held = hold(f, *parse_plain_decimal(typed));
            EXPECT_EQ(set.out.substr(0, set.out.find(" (")),
                      std::string(f.name) + ": " + printed(f, before[k]) + " -> " + printed(f, held.value) +
                          (held.exact ? "\n" : ""));

            const std::string after = read_bytes(file);
            ASSERT_EQ(after.size(), example.size());
            const FieldPlace p = field_place(f);
            const std::size_t first = line_start(example, f.line) + static_cast<std::size_t>(p.read_first - 1);
            const std::size_t end = first + static_cast<std::size_t>(p.read_last - p.read_first + 1);
            for (std::size_t i = 0; i < after.size(); ++i) {
                if (i < first || i >= end) {
                    ASSERT_EQ(after[i], example[i]) << "byte " << i;
                }
            }

            const ProgramRun program = run_program_on(*calc, after);
            ASSERT_EQ(program.result.exit_code, 0) << program.result.out;
            const std::vector<Value> echoed = read_or_fail(*calc, program.file);
            for (std::size_t m = 0; m < calc->inputs.size(); ++m)
                EXPECT_TRUE(same(calc->inputs[m], echoed[m], m == k ? held.value : before[m])) << calc->inputs[m].name;
        }
    }
}

TEST(Set, SeveralAtOnceAndTheNoteOfAnInexactValue) {
    const Calculator& bilm = *find_program("BILM");
    TempDir dir;
    write_bytes(dir / "BILM.DAT", bilm.example);
    const RunResult set = swirl({"set", (dir / "BILM.DAT").string(), "Q=0.002", "upod=0.1234567"});
    ASSERT_EQ(set.exit_code, 0) << set.err;
    EXPECT_EQ(set.out,
              "Q: .10000E-02 -> .20000E-02\n"
              "UPOD: .50000E-01 -> .12346E+00 (not exact: the field holds 0.12346, not 0.1234567)\n");
    const std::vector<Value> now = read_or_fail(bilm, read_bytes(dir / "BILM.DAT"));
    EXPECT_EQ(now[0].real, 0.002f);
    EXPECT_EQ(now[4].real, 0.12346f);
}

// Each refusal: exit 64, a line naming the fault, the file as it was.
TEST(Set, Refusals) {
    struct Case {
        std::string program;
        std::vector<std::string> values;
        const char* says;
    };
    std::vector<Case> cases;
    for (const Calculator* calc : programs()) {
        const std::string first(calc->inputs.front().name);
        const std::string p(calc->name);
        for (const char* bad : {"1,5", "abc", "inf", "nan", "", "0x10", " 1", "1e400"})
            cases.push_back({p, {first + "=" + bad}, "not a plain decimal number"});
        cases.push_back({p, {"NOSUCH=1"}, "no input NOSUCH (its inputs: "});
        cases.push_back({p, {first}, "expected NAME=VALUE"});
        cases.push_back({p, {first + "=1", first + "=2"}, "given twice"});
        // All or nothing: one good value does not get written alone.
        cases.push_back({p, {first + "=1", "NOSUCH=1"}, "no input NOSUCH"});
        for (const Field& f : calc->inputs) {
            const std::string name(f.name);
            if (f.type == ValueType::Integer) {
                cases.push_back({p, {name + "=1.5"}, "takes a whole number"});
                cases.push_back({p, {name + "=1000000000"}, "cannot hold the value"});
            } else {
                cases.push_back({p, {name + "=1e39"}, "beyond single precision"});
                if (field_place(f).report.kind == fixrec::DescKind::F)
                    cases.push_back({p, {name + "=1e7"}, "cannot hold the value"});  // asterisks
            }
        }
    }
    cases.push_back({"ZARN1", {"VID=10"}, "VID: the field (column 47) cannot hold the value"});
    for (const Case& c : cases) {
        const Calculator& calc = *find_program(c.program);
        TempDir dir;
        const fs::path file = dir / (c.program + ".DAT");
        write_bytes(file, calc.example);
        std::vector<std::string> args{"set", file.string()};
        args.insert(args.end(), c.values.begin(), c.values.end());
        const RunResult r = swirl(args);
        EXPECT_EQ(r.exit_code, kUsage) << c.values.back();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(read_bytes(file), calc.example) << c.values.back();
    }
}

TEST(Set, AFileThatDoesNotReadIsNotWritten) {
    const Calculator& bilm = *find_program("BILM");
    TempDir dir;
    const std::string broken = with_field(bilm.example, bilm.inputs[1], "x");
    write_bytes(dir / "BILM.DAT", broken);
    const RunResult r = swirl({"set", (dir / "BILM.DAT").string(), "Q=1"});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("line 8, column 39: HG (columns 39-50) is not a number: \"           x\""), std::string::npos) << r.err;
    EXPECT_EQ(read_bytes(dir / "BILM.DAT"), broken);
    EXPECT_EQ(swirl({"set", (dir / "missing.dat").string(), "--program", "bilm", "Q=1"}).exit_code, 2);
    const RunResult directory = swirl({"set", dir.path().string(), "--program", "bilm", "Q=1"});
    EXPECT_EQ(directory.exit_code, 2);
    EXPECT_EQ(directory.err, "swirl: cannot read " + dir.path().string() + ": Is a directory\n");
}

TEST(Set, ALinkStaysALinkAndTheModeIsKept) {
    const Calculator& bilm = *find_program("BILM");
    TempDir dir;
    write_bytes(dir / "target.dat", bilm.example);
    fs::permissions(dir / "target.dat", fs::perms(0640));
    fs::create_symlink("target.dat", dir / "BILM.DAT");
    ASSERT_EQ(swirl({"set", (dir / "BILM.DAT").string(), "HG=0.75"}).exit_code, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "BILM.DAT"));
    EXPECT_EQ(test_support::mode_of(dir / "target.dat"), 0640u);
    EXPECT_EQ(read_or_fail(bilm, read_bytes(dir / "target.dat"))[1].real, 0.75f);
    EXPECT_EQ(test_support::entries(dir.path()), (std::set<std::string>{"BILM.DAT", "target.dat"}));
}

// ---------------------------------------------------------------------------
// new

TEST(New, TheExampleToANewFileOnly) {
    for (const Calculator* calc : programs()) {
        TempDir dir;
        const fs::path file = dir / "fresh.dat";
        const RunResult r = swirl({"new", std::string(calc->name), file.string()});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(read_bytes(file), calc->example);
        write_bytes(file, "mine");
        const RunResult again = swirl({"new", std::string(calc->name), file.string()});
        EXPECT_EQ(again.exit_code, 1);
        EXPECT_NE(again.err.find(file.string() + " already exists"), std::string::npos);
        EXPECT_EQ(read_bytes(file), "mine");
    }
    TempDir dir;
    fs::create_symlink("nowhere", dir / "dangling.dat");
    EXPECT_EQ(swirl({"new", "bilm", (dir / "dangling.dat").string()}).exit_code, 1);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_EQ(swirl({"new", "FUNNEL", (dir / "x.dat").string()}).exit_code, kUsage);
    EXPECT_EQ(swirl({"new", "bilm", ""}).err, "swirl: FILE is an empty name: give the name of the new data file\n");
    // A folder that is not there, or not a folder: said plainly, exit 1 as for any output not written.
    const std::string missing = (dir / "no" / "x.dat").string();
    const RunResult no_folder = swirl({"new", "bilm", missing});
    EXPECT_EQ(no_folder.exit_code, 1);
    EXPECT_EQ(no_folder.err, "swirl: " + missing + " not written: there is no folder " + (dir / "no").string() + "\n");
    write_bytes(dir / "plain.dat", "x");
    const RunResult file_folder = swirl({"new", "bilm", (dir / "plain.dat" / "x.dat").string()});
    EXPECT_EQ(file_folder.exit_code, 1);
    EXPECT_NE(file_folder.err.find("plain.dat is not a folder"), std::string::npos) << file_folder.err;
}

// ---------------------------------------------------------------------------
// edit

// swirl edit with $EDITOR a script that copies prepared texts over the copy
// it is given, one per call, then fails once they run out; `keyboard` answers
// the question after a text that does not read.
struct EditRun {
    RunResult result;
    std::string file;
    std::set<std::string> scratch;  // what stays in $TMPDIR
};
EditRun edit_with(const Calculator& calc, const std::vector<std::string>& texts, const std::string& keyboard,
                  bool editor_fails = false) {
    TempDir dir, tmp;
    const fs::path file = dir / (std::string(calc.name) + ".DAT");
    write_bytes(file, calc.example);
    std::string script = "#!/bin/sh\nn=$(cat '" + (dir / "calls").string() + "' 2>/dev/null || echo 0)\n";
    script += "echo $((n + 1)) > '" + (dir / "calls").string() + "'\n";
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const fs::path text = dir / ("text" + std::to_string(k));
        write_bytes(text, texts[k]);
        script += "[ $n = " + std::to_string(k) + " ] && cp '" + text.string() + "' \"$1\"\n";
    }
    script += editor_fails ? "exit 1\n" : "exit 0\n";
    write_bytes(dir / "editor", script);
    fs::permissions(dir / "editor", fs::perms(0755));
    ::unsetenv("VISUAL");
    ::setenv("EDITOR", (dir / "editor").c_str(), 1);
    ::setenv("TMPDIR", tmp.path().c_str(), 1);
    EditRun run{swirl({"edit", file.string()}, keyboard), read_bytes(file), test_support::entries(tmp.path())};
    ::unsetenv("EDITOR");
    ::unsetenv("TMPDIR");
    return run;
}

// The example as text to edit, with the field of its first input replaced.
std::string text_with_first_field(const Calculator& calc, const std::string& field) {
    return text_for_editing(with_field(calc.example, calc.inputs.front(), field));
}

TEST(Edit, AGoodEditIsWrittenBackInCodePage866WithCrLf) {
    for (const Calculator* calc : programs()) {
        SCOPED_TRACE(calc->name);
        const Field& f = calc->inputs.front();
        const std::string typed = f.type == ValueType::Integer ? "2" : "1.5";
        const EditRun r = edit_with(*calc, {text_with_first_field(*calc, typed)}, "");
        EXPECT_EQ(r.result.exit_code, 0) << r.result.err;
        EXPECT_EQ(r.file, with_field(calc->example, f, typed));
        EXPECT_TRUE(r.scratch.empty());
        // What the program reads now, as the report prints it.
        EXPECT_TRUE(r.result.out.starts_with(std::string(f.name) + ": " +
                                             printed(f, read_or_fail(*calc, calc->example)[0]) + " -> " +
                                             printed(f, read_or_fail(*calc, r.file)[0]) + "\n"))
            << r.result.out;
        EXPECT_TRUE(r.result.out.ends_with(": written\n"));
    }
}

TEST(Edit, AFailureLeavesTheOriginalIntact) {
    const Calculator& calc = *programs().front();
    const Field& f = calc.inputs.front();
    const std::string line = "line " + std::to_string(f.line) + ", column " + std::to_string(field_place(f).read_first);
    const std::string bad_field = text_with_first_field(calc, "1.5x");
    std::string outside = text_for_editing(calc.example);
    outside.insert(0, "\xE2\x80\x9C");  // a typographic quote at line 1, column 1
    const struct {
        const char* name;
        std::vector<std::string> texts;
        std::string keyboard;
        bool editor_fails;
        int exit_code;
        std::string says;
        bool copy_kept;
    } cases[] = {
        {"field does not read, keep", {bad_field}, "k\n", false, 2, line, true},
        {"field does not read, end of input", {bad_field}, "", false, 2, line, true},
        {"outside code page 866", {outside}, "keep\n", false, 2, "line 1, column 1: character U+201C", true},
        {"another answer asks again", {bad_field}, "what?\nk\n", false, 2, "[e]dit again or [k]eep", true},
        {"the editor fails", {}, "", true, 1, "the editor", false},
        {"the editor fails after a change", {bad_field}, "e\n", true, 1, "your edited copy is kept", true},
        {"no change", {text_for_editing(calc.example)}, "", false, 0, "", false},
    };
    for (const auto& c : cases) {
        const EditRun r = edit_with(calc, c.texts, c.keyboard, c.editor_fails);
        EXPECT_EQ(r.result.exit_code, c.exit_code) << c.name << ": " << r.result.err;
        EXPECT_NE(r.result.err.find(c.says), std::string::npos) << c.name << ": " << r.result.err;
        EXPECT_EQ(r.file, calc.example) << c.name;
        EXPECT_EQ(r.scratch.empty(), !c.copy_kept) << c.name;
    }
}

TEST(Edit, EditAgainAfterAFieldThatDoesNotRead) {
    const Calculator& calc = *programs().front();
    const EditRun r = edit_with(calc, {text_with_first_field(calc, "1.5x"), text_with_first_field(calc, "2.5")}, "e\n");
    EXPECT_EQ(r.result.exit_code, 0) << r.result.err;
    EXPECT_EQ(r.file, with_field(calc.example, calc.inputs.front(), "2.5"));
}

// ---------------------------------------------------------------------------
// run

TEST(Run, ARenamedFileGivesTheProgramsOwnBytes) {
    for (const Calculator* calc : programs()) {
        const std::string example(calc->example);
        std::vector<std::pair<std::string, std::string>> cases{
            {"example", example},
            {"unreadable", with_field(example, calc->inputs.back(), "x")},
        };
        const std::string invalid = kInvalid.at(std::string(calc->name));
        const std::size_t eq = invalid.find('=');
        cases.push_back({"invalid", with_field(example, calc->inputs[input_index(*calc, invalid.substr(0, eq))],
                                               invalid.substr(eq + 1) + ".")});
        for (const auto& [name, bytes] : cases) {
            SCOPED_TRACE(std::string(calc->name) + " " + name);
            const ProgramRun program = run_program_on(*calc, bytes);
            TempDir dir;
            fs::create_directory(dir / "sub");
            write_bytes(dir / "sub" / "renamed.dat", bytes);
            // The example is told by its banner, the others by --program.
            std::vector<std::string> args{"run", (dir / "sub" / "renamed.dat").string()};
            if (name != "example") args.push_back("--program=" + std::string(calc->name));
            const RunResult r = swirl(args);
            EXPECT_EQ(r.exit_code, program.result.exit_code);
            EXPECT_EQ(r.out, program.result.out);
            EXPECT_EQ(r.err, program.result.err);
            EXPECT_EQ(read_bytes(dir / "sub" / "renamed.dat"), program.file);
            EXPECT_EQ(test_support::entries(dir / "sub"), std::set<std::string>{"renamed.dat"});
        }
    }
}

// ---------------------------------------------------------------------------
// Hand edits guarded

// The example with a line typed above its first line: every value shifted.
std::string with_line_inserted(const Calculator& calc) { return "my notes\r\n" + std::string(calc.example); }

TEST(Guards, SetRefusesAShiftedFileAndAValueItsFieldHoldsAsZero) {
    const Calculator& bilm = *find_program("BILM");
    TempDir dir;
    const fs::path file = dir / "BILM.DAT";
    const struct {
        std::string bytes;
        std::string value;
        int exit_code;
        const char* says;
    } cases[] = {
        {with_line_inserted(bilm), "Q=0.002", 2, "line 7: the labels do not match the lines"},
        {std::string(bilm.example), "Q=1e-50", kUsage, "Q=1e-50: too small for single precision"},
        {to_utf8(bilm.example), "Q=0.002", 2, "iconv -f UTF-8 -t CP866"},
    };
    for (const auto& c : cases) {
        write_bytes(file, c.bytes);
        const RunResult r = swirl({"set", file.string(), c.value});
        EXPECT_EQ(r.exit_code, c.exit_code) << c.value << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(read_bytes(file), c.bytes);
    }
    // A value set: the results below are the last run's, and swirl says so.
    write_bytes(file, bilm.example);
    const RunResult set = swirl({"set", file.string(), "Q=0.002"});
    EXPECT_EQ(set.exit_code, 0);
    EXPECT_EQ(set.out, "Q: .10000E-02 -> .20000E-02\n");
    EXPECT_EQ(set.err, "swirl: note: " + file.string() + ": the results below the inputs are still the last run's "
                       "(swirl run " + file.string() + " computes them anew)\n");
}

TEST(Guards, ShowSweepAndRunWarnOfAShiftedFile) {
    for (const Calculator* calc : programs()) {
        SCOPED_TRACE(calc->name);
        TempDir dir;
        const fs::path file = dir / calc->data_file;
        const std::string shifted = with_line_inserted(*calc);
        write_bytes(file, shifted);
        const std::string warning = "swirl: warning: " + file.string() + ": line ";
        const RunResult show = swirl({"show", file.string()});
        EXPECT_TRUE(show.err.starts_with(warning)) << show.err;
        EXPECT_NE(show.err.find("the values are read shifted"), std::string::npos);
        // The table stays as it was (a shifted KERVA file does not read at
        // all: the message follows the warning).
        if (show.exit_code == 2)
            EXPECT_NE(show.err.find("\nswirl: " + file.string() + ": the input section"), std::string::npos);
        else
            EXPECT_TRUE(show.out.starts_with(std::string(calc->name) + " data file")) << show.out;
        const RunResult json = swirl({"show", file.string(), "--json"});
        const nlohmann::json doc = nlohmann::json::parse(json.out);
        ASSERT_EQ(doc["warnings"].size(), 1u);
        EXPECT_EQ(doc["warnings"][0]["kind"], "shifted");
        EXPECT_EQ(doc["warnings"][0]["input"], calc->inputs.front().name);
        const std::string vary = std::string(calc->inputs.front().name) + "=1:2:2";
        const RunResult sweep = swirl({"sweep", file.string(), "--vary", vary, "-o", (dir / "s.csv").string()});
        EXPECT_TRUE(sweep.err.starts_with(warning)) << sweep.err;
        // run warns, and the program reads the file as it stands.
        const RunResult run = swirl({"run", file.string()});
        EXPECT_TRUE(run.err.starts_with(warning)) << run.err;
        EXPECT_EQ(run.exit_code, run_program_on(*calc, shifted).result.exit_code);
    }
}

// The examples and the programs' own reports on them are never flagged.
TEST(Guards, NoWarningOnTheExamplesAndTheReports) {
    for (const fs::directory_entry& entry : fs::directory_iterator(EXAMPLES_DIR)) {
        if (entry.path().extension() != ".DAT") continue;
        SCOPED_TRACE(entry.path().filename().string());
        TempDir dir;
        const fs::path file = dir / entry.path().filename().string();
        write_bytes(file, read_bytes(entry.path()));
        EXPECT_EQ(swirl({"show", file.string()}).err, "");
        // The program's report after a value was set (set's note aside).
        const Calculator& calc = detect_program(file.string(), "", std::nullopt);
        const Field& f = calc.inputs.front();
        const std::string value = value_to_set(calc, f, read_or_fail(calc, read_bytes(file)).front());
        EXPECT_TRUE(swirl({"set", file.string(), std::string(f.name) + "=" + value}).err.starts_with("swirl: note:"));
        const RunResult run = swirl({"run", file.string()});
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(swirl({"show", file.string()}).err, "");
    }
}

TEST(Guards, EditRefusesAShiftedTextAndTakesUpTheKeptCopy) {
    const Calculator& bilm = *find_program("BILM");
    const EditRun refused = edit_with(bilm, {text_for_editing(with_line_inserted(bilm))}, "k\n");
    EXPECT_EQ(refused.result.exit_code, 2);
    EXPECT_NE(refused.result.err.find("line 7: the labels do not match the lines"), std::string::npos)
        << refused.result.err;
    EXPECT_NE(refused.result.err.find("[e]dit again or [k]eep"), std::string::npos);
    EXPECT_EQ(refused.file, bilm.example);
    EXPECT_EQ(refused.scratch.size(), 1u);  // the copy is kept

    // A text that reads is written, and what it reads as is told.
    const Calculator& kerva = *find_program("KERVA");
    const std::string qh_1000 = text_for_editing(with_field(kerva.example, kerva.inputs.front(), "1000"));
    const EditRun implied = edit_with(kerva, {qh_1000}, "");
    EXPECT_EQ(implied.result.exit_code, 0);
    EXPECT_NE(implied.result.err.find(": line 11: QH holds \"1000\", which has no decimal point, so it reads as 0.01"),
              std::string::npos)
        << implied.result.err;

    // --from COPY: the editor starts on the copy's text, and FILE is written
    // when it reads (an editor that changes nothing here).
    TempDir dir;
    const fs::path file = dir / "BILM.DAT", copy = dir / "kept.dat";
    write_bytes(file, bilm.example);
    write_bytes(copy, text_for_editing(with_field(bilm.example, bilm.inputs.front(), "2.5")));
    ::setenv("EDITOR", "true", 1);
    const RunResult from = swirl({"edit", file.string(), "--from", copy.string()});
    const RunResult missing = swirl({"edit", file.string(), "--from", (dir / "none").string()});
    ::setenv("EDITOR", "false", 1);
    const RunResult no_editor = swirl({"edit", file.string(), "--from", copy.string()});
    ::unsetenv("EDITOR");
    EXPECT_EQ(from.exit_code, 0) << from.err;
    EXPECT_EQ(read_bytes(file), with_field(bilm.example, bilm.inputs.front(), "2.5"));
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("cannot read the copy"), std::string::npos);
    EXPECT_EQ(no_editor.exit_code, 1);
    // A UTF-8 file is not opened: it is converted first.
    write_bytes(file, to_utf8(bilm.example));
    ::setenv("EDITOR", "false", 1);
    const RunResult utf8 = swirl({"edit", file.string()});
    ::unsetenv("EDITOR");
    EXPECT_EQ(utf8.exit_code, 2);
    EXPECT_NE(utf8.err.find("iconv -f UTF-8 -t CP866 "), std::string::npos) << utf8.err;
}

// ---------------------------------------------------------------------------
// The command line

TEST(CommandLine, HelpVersionAndUsageErrors) {
    const RunResult help = swirl({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    for (const char* command : {"show", "set", "new", "edit", "run", "sweep", "plot", "fields"}) {
        EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
        const RunResult own = swirl({command, "--help"});
        EXPECT_EQ(own.exit_code, 0) << command;
        EXPECT_NE(own.out.find("\nExample"), std::string::npos) << command;
        // Wrapped to 80 columns when not on a terminal (the examples fit too).
        std::size_t start = 0;
        for (std::size_t end; (end = own.out.find('\n', start)) != std::string::npos; start = end + 1)
            EXPECT_LE(end - start, 80u) << command << ": " << own.out.substr(start, end - start);
    }
    EXPECT_TRUE(swirl({"--version"}).out.starts_with("swirl "));

    TempDir dir;
    write_bytes(dir / "case.dat", "no banner here\r\n");
    const struct {
        std::vector<std::string> args;
        const char* says;
    } bad[] = {
        {{}, "a command is required (one of show, "},
        {{"frob"}, "unknown command frob (one of show, "},
        {{"show"}, "FILE is required; see swirl show --help"},
        {{"show", "-case.dat"}, "unknown option -case.dat (a file whose name starts with '-' goes after --"},
        {{"sweep", "BILM.DAT", "--vary", "Q=1:2:2", "--jobs", "0"}, "--jobs: "},
        {{"show", (dir / "case.dat").string()}, "give --program"},
        {{"show", (dir / "case.dat").string(), "--program", "FUNNEL"}, "unknown program FUNNEL"},
        {{"fields", "FUNNEL"}, "unknown program FUNNEL"},
        // A mistyped name gets the nearest one.
        {{"shwo", "BILM.DAT"}, "unknown command shwo (did you mean show? one of show, "},
        {{"show", "--jsn", "BILM.DAT"}, "unknown option --jsn (did you mean --json?); see swirl show --help"},
        {{"show", "BILM.DAT", "--jsn"}, "unknown option --jsn (did you mean --json?)"},
        {{"--hlep"}, "unknown option --hlep (did you mean --help?); see swirl --help"},
        {{"sweep", "BILM.DAT", "--vary", "Q=1:2:2", "--jbos=2"}, "unknown option --jbos (did you mean --jobs?)"},
        {{"plot", "q.csv", "--x", "Q", "--y", "HO", "-o", "q.svg", "--logz"}, "unknown option --logz; see"},
        {{"set", "BILM.DAT", "upd=0.1"}, "BILM has no input upd (did you mean UPOD? its inputs: Q, HG, "},
        {{"set", "BILM.DAT", "D=0.1"}, "no input D (its inputs: "},
        {{"sweep", "ZARN1.DAT", "--vary", "NSV=1:2:2"}, "no input NSV (did you mean NVS? "},
        {{"new", "bilmm", "x.dat"}, "unknown program bilmm (did you mean BILM? one of BILM, KERVA, ZARN1)"},
        {{"fields", "KREVA"}, "unknown program KREVA (did you mean KERVA? "},
        {{"show", "a.dat", "b.dat"}, "unexpected argument b.dat; see swirl show --help"},
        {{"sweep", "BILM.DAT", "--vary"}, "--vary needs a value; see swirl sweep --help"},
    };
    // The data files that the lines name are there.
    write_bytes(dir / "BILM.DAT", find_program("BILM")->example);
    write_bytes(dir / "ZARN1.DAT", find_program("ZARN1")->example);
    for (const auto& b : bad) {
        std::vector<std::string> args = b.args;
        for (std::string& a : args)
            if (a == "BILM.DAT" || a == "ZARN1.DAT") a = (dir / a).string();
        const RunResult r = swirl(args);
        EXPECT_EQ(r.exit_code, kUsage) << (b.args.empty() ? "" : b.args[0]);
        EXPECT_NE(r.err.find(b.says), std::string::npos) << r.err;
        // One line, as every message of swirl.
        EXPECT_TRUE(r.err.starts_with("swirl: ") && r.err.find('\n') == r.err.size() - 1) << r.err;
    }

    // Standard output that cannot be written is a failure, not a success.
    for (const std::string command : {"show BILM.DAT", "show BILM.DAT --json", "fields zarn1"}) {
        test_support::RunOptions o;
        o.program = "/bin/sh";
        o.cwd = dir.path().string();
        o.args = {"-c", "exec \"$0\" " + command + " >/dev/full", SWIRL_PATH};
        const RunResult r = test_support::run_program(o);
        EXPECT_EQ(r.exit_code, 1) << command;
        EXPECT_EQ(r.err, "swirl: cannot write standard output\n") << command;
    }
}

}  // namespace
}  // namespace swirl
