// swirl summary TABLE.csv [--spec "RESULT>=VALUE"]... [--json]: the
// statistics of each result of a sweep's or a sample's table, and the share
// of the cases that meet each requirement.
#include <charconv>
#include <iostream>
#include <memory>

#include "command.h"
#include "swirl/api/data_file.h"
#include "swirl/core/json_out.h"
#include "swirl/study/summary.h"
#include "text_table.h"

namespace swirl {

namespace {

// Six significant digits for a person; "-" for none.
std::string brief(double v) {
    if (std::isnan(v)) return "-";
    char buf[32];
    return {buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6).ptr};
}

nlohmann::ordered_json json_of(const TableSummary& s) {
    nlohmann::ordered_json doc;
    doc["results"] = nlohmann::ordered_json::array();
    for (const ResultSummary& r : s.results)
        doc["results"].push_back({{"name", r.name}, {"ok", r.ok}, {"invalid", r.invalid},
                                  {"not_computed", r.not_computed}, {"mean", r.mean}, {"sd", r.sd},
                                  {"min", r.min}, {"p5", r.p5}, {"p50", r.p50}, {"p95", r.p95},
                                  {"max", r.max}});
    doc["specs"] = nlohmann::ordered_json::array();
    for (const RequirementShare& q : s.requirements)
        doc["specs"].push_back({{"spec", q.text}, {"met", q.met}, {"cases", q.cases}, {"share", q.share},
                                {"low", q.low}, {"high", q.high}});
    return doc;
}

std::string text_of(const TableSummary& s, const std::string& file) {
    std::int64_t invalid = s.results.empty() ? 0 : s.results.front().invalid;
    std::string out = file + ": " + std::to_string(s.cases) + " cases of " + std::string(s.program->name) + ", " +
                      std::to_string(s.cases - invalid) + " ok, " + std::to_string(invalid) + " invalid\n\n";
    std::vector<std::vector<std::string>> rows{
        {"result", "ok", "invalid", "not computed", "mean", "sd", "min", "P5", "P50", "P95", "max"}};
    std::string never;
    for (const ResultSummary& r : s.results) {
        if (r.ok == 0) {
            never += (never.empty() ? "" : ", ") + r.name;
            continue;
        }
        rows.push_back({r.name, std::to_string(r.ok), std::to_string(r.invalid), std::to_string(r.not_computed),
                        brief(r.mean), brief(r.sd), brief(r.min), brief(r.p5), brief(r.p50), brief(r.p95),
                        brief(r.max)});
    }
    out += aligned(rows, "lrrrrrrrrrr");
    if (!never.empty()) out += "no case computed " + never + "\n";
    if (!s.requirements.empty()) {
        std::vector<std::vector<std::string>> shares{{"requirement", "met", "cases", "share", "95 % interval"}};
        for (const RequirementShare& q : s.requirements)
            shares.push_back({q.text, std::to_string(q.met), std::to_string(q.cases), brief(q.share),
                               brief(q.low) + " to " + brief(q.high)});
        out += "\n" + aligned(shares, "lrrrl");
    }
    return out;
}

}  // namespace

void add_summary(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> requirements;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "summary",
        "The statistics of each result of a sweep's or a sample's table, and the share of the cases that meet "
        "requirements.\n"
        "Per result: the cases that computed it, mean, standard deviation (n-1), minimum, P5, P50, P95 (linear interpolation, type 7) and maximum of "
        "its ok values; with --spec, the share of all cases that meet a requirement, with a 95 % Wilson interval "
        "(an invalid case, and one that does not compute the result, does not meet it).\n"
        "Examples:\n"
        "  swirl sample BILM.DAT --vary \"Q=uniform(0.0009,0.0011)\" --count 200 -o b.csv\n"
        "  swirl summary b.csv --spec \"HO<=0.36\"");
    command->add_option("TABLE", o->file, "the CSV table of a sweep or a sample")->required();
    command->add_option("--spec", o->requirements, "RESULT>=VALUE (or >, <=, <): a requirement; repeat for several")
        ->take_all();
    command->add_flag("--json", o->json, "JSON: {results: [...], specs: [...]}");
    command->callback([&action, o] {
        action = [o] {
            std::vector<Requirement> requirements;
            for (const std::string& text : o->requirements) requirements.push_back(parse_requirement(text));
            const std::string text = read_data_file(o->file);
            TableSummary s;
            try {
                const CsvTable table = read_csv(text);
                if (!study_columns(table.columns))
                    throw UsageError(o->file + " is not a table that swirl sweep or swirl sample wrote (its header "
                                     "tells no program)");
                s = summarize(table, requirements);
            } catch (const CsvError& e) {
                throw CommandFailure(kExitUnreadable, o->file + ": " + e.what());
            }
            std::cout << (o->json ? dump_json(json_of(s)) + "\n" : text_of(s, o->file));
            return kExitOk;
        };
    });
}

}  // namespace swirl
