// swirl plot: a picture in SVG, either of the radial profiles of one run
// (ZARN1) or of results of a sweep against one varied input.
#include <filesystem>
#include <iostream>
#include <memory>

#include "output_file.h"
#include "data_files.h"
#include "swirl/api/values.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/csv.h"
#include "swirl/study/figures.h"
#include "swirl/study/summary.h"
#include "swirl/svg/svg_plot.h"

namespace swirl {

namespace {

// The characteristic radii that a profile plot marks, where the program has
// a value of that name.
const std::vector<std::string> kProfileMarkers = {"R1", "RV", "RP", "RK"};

std::string base_name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

void write_svg(const plot::Figure& figure, const std::string& path) {
    std::string svg;
    try {
        svg = plot::render_svg(figure);
    } catch (const plot::PlotError& e) {
        throw UsageError(std::string("nothing to draw: ") + e.what());
    }
    OutputFile out(path);
    out.write(svg);
    out.commit();
}

int plot_sweep(const std::string& file, const SweepPlot& request, const std::string& out) {
    const std::string text = read_data_file(file);
    plot::Figure figure;
    try {
        CsvTable table = read_csv(text);
        // A sample's table: its column `case` is no input to draw against.
        if (!table.columns.empty() && table.columns.front() == "case") {
            table.columns.erase(table.columns.begin());
            for (auto& row : table.rows) row.erase(row.begin());
        }
        figure = sweep_figure(table, request);
    } catch (const CsvError& e) {
        throw CommandFailure(kExitUnreadable, file + ": " + e.what());
    }
    write_svg(figure, out);
    return kExitOk;
}

int plot_histogram(const std::string& file, const std::string& result, const std::optional<Requirement>& limit,
                   const std::string& out) {
    const std::string text = read_data_file(file);
    plot::Figure figure;
    try {
        figure = histogram_figure(read_csv(text), result, limit, base_name(file) + ": the distribution of " + result);
    } catch (const CsvError& e) {
        throw CommandFailure(kExitUnreadable, file + ": " + e.what());
    }
    write_svg(figure, out);
    return kExitOk;
}

int plot_profiles(const std::string& file, const std::optional<std::string>& program, const std::string& out) {
    const std::string bytes = read_data_file(file);
    // A sweep's table given without the columns to plot: told by its header.
    try {
        const std::size_t lf = bytes.find('\n');
        const std::string_view header = std::string_view(bytes).substr(0, lf == std::string::npos ? lf : lf + 1);
        if (sweep_program(read_csv(header).columns) != nullptr)
            throw UsageError(file + " is a sweep's table: name the columns to plot with --x and --y");
    } catch (const CsvError&) {
    }
    const DataFile data = data_file_from_bytes(bytes, file, program);
    const Calculator* calc = data.calc;
    if (!calc->profiles) {
        const std::string x(calc->inputs.front().name), y(calc->results.front().name);
        throw UsageError(std::string(calc->name) + " computes no profiles to plot; plot a sweep of it instead: swirl "
                         "sweep " + file + " --vary " + x + "=FROM:TO:COUNT -o sweep.csv, then swirl plot sweep.csv "
                         "--x " + x + " --y " + y + " -o " + (out.empty() ? "plot.svg" : out));
    }
    warn(data);
    const std::vector<Value>& inputs = data.inputs();
    const calculators::Outcome outcome = compute(data, true);
    if (!outcome.valid) throw CommandFailure(kExitInvalidArithmetic, file + ": " + to_utf8(outcome.failure));
    for (const std::string& line : warnings(*calc, outcome)) std::cerr << "swirl: " << file << ": " << line << '\n';
    write_svg(profile_figure(*calc, inputs, outcome, kProfileMarkers,
                             base_name(file) + ": radial profiles (" + std::string(calc->name) + ")"),
              out);
    return kExitOk;
}

}  // namespace

void add_plot(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::string out;
        std::optional<std::string> program;
        std::string x;
        std::vector<std::string> y;
        bool logx = false, logy = false;
        std::string hist;
        std::string requirement;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "plot",
        "Draw an SVG picture of ZARN1's radial profiles or of a sweep's results.\n"
        "Of a data file: the radial profiles of one ZARN1 run (V and P, U and W against r). With --x and --y: "
        "results of a sweep's CSV table against one varied input, one panel a unit, one curve a value of each "
        "other varied input (7 a panel at most); invalid cases leave gaps.\n"
        "Examples:\n"
        "  swirl plot ZARN1.DAT -o profiles.svg\n"
        "  swirl sweep BILM.DAT --vary UPOD=0.02:0.2:4 --vary Q=1e-5:0.01:61:log -o q.csv\n"
        "  swirl plot q.csv --x Q --y HO,VMAX --logx -o q.svg\n"
        "  swirl sample BILM.DAT --vary \"Q=normal(0.001,0.00005)\" --count 500 -o s.csv\n"
        "  swirl plot s.csv --hist HO --spec \"HO<=0.36\" -o ho.svg");
    command->add_option("FILE", o->file, "a data file (profiles) or a table written by swirl sweep")->required();
    command->add_option("-o,--output", o->out, "the SVG file (- for standard output)")->required();
    add_program_option(*command, o->program);
    command->add_option("--x", o->x, "the column of the sweep along the horizontal axis");
    command->add_option("--y", o->y, "the columns to draw against it, separated by commas")->delimiter(',');
    command->add_flag("--logx", o->logx, "a logarithmic horizontal axis");
    command->add_flag("--logy", o->logy, "logarithmic vertical axes");
    command->add_option("--hist", o->hist, "a histogram of this result of a sweep's or a sample's table, P5, P50 and "
                        "P95 marked")->type_name("RESULT");
    command->add_option("--spec", o->requirement, "with --hist: RESULT>=VALUE (or >, <=, <), its limit drawn");
    command->callback([&action, o] {
        action = [o] {
            // The picture never replaces what it is drawn from.
            if (is_same_file(o->file, o->out))
                throw UsageError("the output " + o->out + " is " + o->file + " itself, which a plot never writes");
            if (!o->requirement.empty() && o->hist.empty()) throw UsageError("--spec goes with --hist");
            if (!o->hist.empty()) {
                if (!o->x.empty() || !o->y.empty() || o->logx || o->logy)
                    throw UsageError("--hist draws one result alone: without --x, --y, --logx and --logy");
                if (o->program) throw UsageError("--program is for a data file; a table tells its program");
                std::optional<Requirement> limit;
                if (!o->requirement.empty()) limit = parse_requirement(o->requirement);
                return plot_histogram(o->file, o->hist, limit, o->out);
            }
            const bool sweep = !o->x.empty() || !o->y.empty();
            if (sweep) {
                if (o->x.empty() || o->y.empty()) throw UsageError("a sweep's plot needs both --x and --y");
                if (o->program) throw UsageError("--program is for a data file; a sweep's table tells its program");
                return plot_sweep(o->file, {o->x, o->y, o->logx, o->logy, base_name(o->file)}, o->out);
            }
            if (o->logx || o->logy) throw UsageError("--logx and --logy are for a sweep's plot (with --x and --y)");
            return plot_profiles(o->file, o->program, o->out);
        };
    });
}

}  // namespace swirl
