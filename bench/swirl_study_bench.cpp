// Cases per second of a sample against a sweep of the same cases on one
// core, and the time of Sobol's indices of BILM's five inputs.
//
//   sweep/<P>/<name>     swirl's sweep on one thread, rows formatted and
//                        counted: a long grid over the inputs a sample varies
//                        (held case by case, as a sample's values are), and,
//                        for comparison, a tabulated two-dimensional grid
//   sample/<P>/<design>  a sample of the same inputs and cases, each value
//                        drawn, held and formatted case by case
//   sobol/BILM           Sensitivity::sobol of BILM's five inputs (±5 %),
//                        100,000 base points (700,000 evaluations) and the
//                        bootstrap, on one thread
// Everything runs on the calling thread, so items_per_second is cases
// (evaluations) per second of that thread's CPU time: a core's rate, however
// busy the machine.  The ratio sample/sweep of a program is the cost of a
// sample's case against a sweep's.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "swirl/core/grid.h"
#include "swirl/study/sample.h"
#include "swirl/study/sensitivity.h"
#include "swirl/study/sweep.h"

namespace {

using swirl::Calculator;
using swirl::Value;

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    calc.read(calc.example, inputs, where);
    return inputs;
}

constexpr std::int64_t kCases = 200000;

// One input of each program over ±5 % of its example value.
struct Study {
    const char* program;
    const char* grid;      // kCases values: not tabulated
    const char* tabulated; // a product of kCases cases
    const char* vary;
};
const Study kStudies[] = {
    {"BILM", "Q=0.00095:0.00105:200000", "Q=0.00095:0.00105:200 UPOD=0.0475:0.0525:1000", "Q=uniform(0.00095,0.00105)"},
    {"KERVA", "D50=0.0000095:0.0000105:200000", "D50=0.0000095:0.0000105:200 QH=950:1050:1000",
     "D50=uniform(0.0000095,0.0000105)"},
};

std::vector<swirl::Grid> grids_of(const std::string& text) {
    std::vector<swirl::Grid> grids;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t blank = text.find(' ', at);
        grids.push_back(swirl::parse_grid(text.substr(at, blank == std::string::npos ? std::string::npos : blank - at)));
        at = blank == std::string::npos ? text.size() : blank + 1;
    }
    return grids;
}

template <class Make>
void table_case(benchmark::State& state, Make make) {
    std::int64_t cases = 0, bytes = 0;
    for (auto _ : state) {
        const auto study = make();
        study.run(1, [&](std::string_view rows) { bytes += static_cast<std::int64_t>(rows.size()); });
        cases += study.total();
    }
    state.SetItemsProcessed(cases);
    state.SetBytesProcessed(bytes);
}

void sobol_case(benchmark::State& state) {
    const Calculator& bilm = *swirl::find_program("BILM");
    std::vector<swirl::InputRange> ranges;
    for (const char* r : {"Q=0.00095:0.00105", "HG=0.475:0.525", "R1=0.0095:0.0105", "RCR=0.095:0.105",
                          "UPOD=0.0475:0.0525"})
        ranges.push_back(swirl::parse_input_range(r));
    const swirl::Sensitivity study(bilm, example_inputs(bilm), ranges);
    std::int64_t evaluations = 0;
    for (auto _ : state) {
        const swirl::SensitivityReport r = study.sobol(100000, 1, 1);
        benchmark::DoNotOptimize(r.sobol.data());
        evaluations += r.evaluations;
    }
    state.SetItemsProcessed(evaluations);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const Study& s : kStudies) {
        const Calculator* calc = swirl::find_program(s.program);
        const std::string name = s.program;
        const std::vector<Value> base = example_inputs(*calc);
        const std::vector<swirl::Grid> grid = grids_of(s.grid), tabulated = grids_of(s.tabulated);
        benchmark::RegisterBenchmark(("sweep/" + name + "/long").c_str(), [=](benchmark::State& st) {
            table_case(st, [&] { return swirl::Sweep(*calc, base, grid); });
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("sweep/" + name + "/tabulated").c_str(), [=](benchmark::State& st) {
            table_case(st, [&] { return swirl::Sweep(*calc, base, tabulated); });
        })->Unit(benchmark::kMillisecond);
        const std::vector<swirl::SampledInput> vary{swirl::parse_sampled_input(s.vary)};
        for (const swirl::Design d : {swirl::Design::random, swirl::Design::lhs, swirl::Design::sobol})
            benchmark::RegisterBenchmark(("sample/" + name + "/" + std::string(swirl::design_name(d))).c_str(),
                                         [=](benchmark::State& st) {
                                             table_case(st, [&] { return swirl::Sample(*calc, base, vary, kCases, d); });
                                         })
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("sobol/BILM", sobol_case)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
