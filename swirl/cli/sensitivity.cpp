// swirl sensitivity FILE --vary NAME=LO:HI... --method oat|morris|sobol: which
// input moves which result most over its range.
#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>

#include "data_files.h"
#include "fixrec/ascii.h"
#include "output_file.h"
#include "swirl/api/values.h"
#include "swirl/core/json_out.h"
#include "swirl/study/cases.h"
#include "swirl/study/sensitivity.h"
#include "swirl/study/summary.h"
#include "text_table.h"

namespace swirl {

namespace {

std::string brief(double v) {
    if (std::isnan(v)) return "-";
    char buf[32];
    return {buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 4).ptr};
}

template <class T>
T parse_whole(const std::string& option, const std::string& text, T least) {
    T v{};
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < least)
        throw UsageError(option + " " + text + ": a whole number, " + std::to_string(least) + " or more");
    return v;
}

nlohmann::ordered_json json_of(const SensitivityReport& r) {
    nlohmann::ordered_json doc;
    doc["method"] = std::string(method_name(r.method));
    doc["evaluations"] = r.evaluations;
    doc["invalid"] = r.invalid;
    auto& indices = doc["indices"] = nlohmann::ordered_json::array();
    for (const OatEntry& e : r.oat)
        indices.push_back({{"input", e.input}, {"result", e.result}, {"low", e.low}, {"high", e.high},
                           {"swing", e.swing}});
    for (const MorrisEntry& e : r.morris)
        indices.push_back({{"input", e.input}, {"result", e.result}, {"mu_star", e.mu_star}, {"mu", e.mu},
                           {"sigma", e.sigma}});
    for (const SobolEntry& e : r.sobol)
        indices.push_back({{"input", e.input}, {"result", e.result}, {"S1", e.S1}, {"S1_low", e.S1_low},
                           {"S1_high", e.S1_high}, {"ST", e.ST}, {"ST_low", e.ST_low}, {"ST_high", e.ST_high}});
    return doc;
}

std::string text_of(const SensitivityReport& r, const std::string& file) {
    static const char* const kTitle[] = {"one at a time", "Morris's elementary effects", "Sobol's indices"};
    static const char* const kInvalid[] = {" (no value at that bound)", " (effects with an invalid end are left out)",
                                           " (base points with an invalid evaluation are left out)"};
    std::string out = file + ": " + kTitle[static_cast<int>(r.method)] + ", " + std::to_string(r.evaluations) +
                      " evaluations, " + std::to_string(r.invalid) + " invalid" +
                      (r.invalid > 0 ? kInvalid[static_cast<int>(r.method)] : "") + "\n\n";
    std::vector<std::vector<std::string>> rows;
    std::string align;
    switch (r.method) {
        case Method::oat:
            rows.push_back({"result", "input", "low", "high", "swing"});
            for (const OatEntry& e : r.oat) rows.push_back({e.result, e.input, brief(e.low), brief(e.high), brief(e.swing)});
            align = "llrrr";
            break;
        case Method::morris:
            rows.push_back({"result", "input", "mu*", "mu", "sigma"});
            for (const MorrisEntry& e : r.morris)
                rows.push_back({e.result, e.input, brief(e.mu_star), brief(e.mu), brief(e.sigma)});
            align = "llrrr";
            break;
        case Method::sobol:
            rows.push_back({"result", "input", "S1", "95 % interval", "ST", "95 % interval"});
            for (const SobolEntry& e : r.sobol)
                rows.push_back({e.result, e.input, brief(e.S1), brief(e.S1_low) + " to " + brief(e.S1_high),
                                brief(e.ST), brief(e.ST_low) + " to " + brief(e.ST_high)});
            align = "llrlrl";
            break;
    }
    return out + aligned(rows, align);
}

}  // namespace

void add_sensitivity(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> vary;
        std::string method;
        std::optional<std::string> count;
        std::string seed = "1";
        std::string levels = "4";
        unsigned jobs = 0;
        bool json = false;
        std::string plot;
        std::vector<std::string> results;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "sensitivity",
        "Which input moves which result most over its range LO:HI, the other inputs as FILE holds them.\n"
        "oat: each input at LO and at HI, ranked by the swing of each result (a tornado chart with --plot). "
        "morris: elementary effects of --count trajectories (default 20) on a grid of --levels levels, per the "
        "whole range of the input. sobol: first-order (Saltelli 2010) and total (Jansen) indices from --count "
        "base points (default 1024; N*(k+2) evaluations) of a Sobol sequence, with 95 % bootstrap intervals; a "
        "base point with an invalid evaluation is left out. Each value is taken as its field holds it. FILE is "
        "never written.\n"
        "Examples:\n"
        "  swirl sensitivity BILM.DAT --vary Q=0.0009:0.0011 --vary UPOD=0.045:0.055 --method oat --plot t.svg\n"
        "  swirl sensitivity BILM.DAT --vary Q=0.0009:0.0011 --vary UPOD=0.045:0.055 --method sobol --json");
    command->add_option("FILE", o->file, "the data file that holds every other input")->required();
    command->add_option("--vary", o->vary, "NAME=LO:HI: an input and its range; repeat for each input")->take_all();
    command->add_option("--method", o->method, "oat, morris or sobol")->required();
    command->add_option("--count", o->count, "morris: trajectories (default 20); sobol: base points (default 1024)")
        ->type_name("N");
    command->add_option("--seed", o->seed, "the seed of the random numbers (default 1)")->type_name("S");
    command->add_option("--levels", o->levels, "morris: the levels of the grid, even (default 4)")->type_name("P");
    command->add_option("--jobs", o->jobs, "threads, 1 to 1024 (default: one per core)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    command->add_flag("--json", o->json, "JSON: {method, evaluations, invalid, indices: [...]}");
    command->add_option("--plot", o->plot, "oat: the tornado chart of a result as SVG (- for standard output)")
        ->type_name("OUT.svg");
    command->add_option("--results", o->results,
                        "the results to report, separated by commas (default: every result some evaluation "
                        "computed); the first is the tornado's")
        ->delimiter(',');
    add_program_option(*command, o->program);
    command->callback([&action, o] {
        action = [o] {
            std::vector<InputRange> ranges;
            for (const std::string& text : o->vary) ranges.push_back(parse_input_range(text));
            const Method method = parse_method(o->method);
            const std::uint64_t seed = parse_whole<std::uint64_t>("--seed", o->seed, 0);
            const int levels = parse_whole<int>("--levels", o->levels, 2);
            if (!o->plot.empty() && method != Method::oat)
                throw UsageError("--plot draws the tornado chart of --method oat");
            if (o->count && method == Method::oat) throw UsageError("--count is for --method morris and sobol");
            const std::int64_t count =
                o->count ? parse_whole<std::int64_t>("--count", *o->count, 1) : (method == Method::morris ? 20 : 1024);
            const DataFile file = open_data_file(o->file, o->program);
            if (!o->plot.empty() && is_same_file(o->file, o->plot))
                throw UsageError("the output " + o->plot + " is the data file itself, which a study never writes");
            warn(file);
            const Sensitivity study(*file.calc, file.inputs(), ranges);
            std::vector<std::string> results;
            for (const std::string& name : o->results)
                results.emplace_back(file.calc->results[result_index(*file.calc, name)].name);
            SensitivityReport report = method == Method::oat      ? study.oat(o->jobs)
                                       : method == Method::morris ? study.morris(count, levels, seed, o->jobs)
                                                                  : study.sobol(count, seed, o->jobs);
            if (!results.empty()) {
                const auto unwanted = [&](const auto& e) {
                    return std::find(results.begin(), results.end(), e.result) == results.end();
                };
                std::erase_if(report.oat, unwanted);
                std::erase_if(report.morris, unwanted);
                std::erase_if(report.sobol, unwanted);
            }
            if (!o->plot.empty()) {
                if (report.oat.empty()) throw UsageError("nothing to draw: no evaluation computed the results");
                const std::string result = results.empty() ? report.oat.front().result : results.front();
                // The centre line: the result as the file's own inputs give it.
                double base = std::numeric_limits<double>::quiet_NaN();
                const calculators::Outcome out = compute(file);
                for (std::size_t r = 0; r < file.calc->results.size(); ++r)
                    if (out.valid && fixrec::equal_ignoring_case(file.calc->results[r].name, result) && r < out.computed.size() && out.computed[r])
                        base = value_number(file.calc->results[r], out.results[r]);
                const plot::Figure figure = tornado_figure(*file.calc, report, result, base,
                                                           o->file + ": the swing of " + result + " over each input's range");
                std::string svg;
                try {
                    svg = plot::render_svg(figure);
                } catch (const plot::PlotError& e) {
                    throw UsageError(std::string("nothing to draw: ") + e.what());
                }
                OutputFile out_svg(o->plot);
                out_svg.write(svg);
                out_svg.commit();
                if (o->plot == "-") return kExitOk;
            }
            std::cout << (o->json ? dump_json(json_of(report)) + "\n" : text_of(report, o->file));
            return kExitOk;
        };
    });
}

}  // namespace swirl
