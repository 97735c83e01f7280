// Wall time and evaluations of swirl's solve and optimize on one problem of
// each program, on its example data file (the problems of docs/SWIRL.md):
//   solve/<P>      a scan of the default 1000 points refined to neighbours,
//                  on one thread
//   optimize/<P>   the default budget: global and local stages, the search
//                  over neighbours and the certificate
// The counter `evaluations` is the held points computed per run.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "swirl/design/optimize.h"
#include "swirl/design/solve.h"

namespace {

using swirl::Calculator;
using swirl::Value;

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    if (!calc.read(calc.example, inputs, where)) throw std::runtime_error("the example cannot be read");
    return inputs;
}

struct SolveCase {
    const char* program;
    const char* find;
    const char* target;
};

struct OptimizeCase {
    const char* program;
    std::vector<const char*> vary;
    const char* objective;
    bool maximize;
    const char* constraint;
};

void solve_bench(benchmark::State& state, const SolveCase& c) {
    const Calculator& calc = *swirl::find_program(c.program);
    swirl::SolveProblem p{&calc, example_inputs(calc), swirl::parse_range(c.find, "--find"),
                          swirl::parse_target(c.target)};
    p.jobs = 1;
    std::int64_t evaluations = 0;
    for (auto _ : state) {
        const swirl::SolveResult r = swirl::solve(p);
        evaluations = r.evaluations;
        benchmark::DoNotOptimize(r.crossings.data());
    }
    state.counters["evaluations"] = static_cast<double>(evaluations);
}

void optimize_bench(benchmark::State& state, const OptimizeCase& c) {
    const Calculator& calc = *swirl::find_program(c.program);
    swirl::OptimizeProblem p;
    p.calc = &calc;
    p.base = example_inputs(calc);
    for (const char* v : c.vary) p.vary.push_back(swirl::parse_range(v, "--vary"));
    p.objective = c.objective;
    p.maximize = c.maximize;
    p.constraints = {swirl::parse_constraint(c.constraint)};
    std::int64_t evaluations = 0;
    for (auto _ : state) {
        const swirl::OptimizeResult r = swirl::optimize(p);
        evaluations = r.evaluations;
        benchmark::DoNotOptimize(r.inputs.data());
    }
    state.counters["evaluations"] = static_cast<double>(evaluations);
}

const SolveCase kSolveBilm{"BILM", "Q=0.0001:0.01:log", "HO=0.2"};
const SolveCase kSolveKerva{"KERVA", "D50=0.0000001:0.0001:log", "ETA1=50"};
const SolveCase kSolveZarn1{"ZARN1", "R1=0.01:0.06", "PVXOD=3000"};
const OptimizeCase kOptBilm{"BILM", {"R1=0.005:0.05", "RCR=0.05:0.3"}, "R1", false, "HO<=0.2"};
const OptimizeCase kOptKerva{"KERVA", {"DK=0.2:0.8", "QH=200:3000"}, "ETA1", true, "VK<=15"};
const OptimizeCase kOptZarn1{"ZARN1", {"R1=0.01:0.06", "FVX=0.0005:0.005"}, "PVXOD", false, "K>=20"};

BENCHMARK_CAPTURE(solve_bench, BILM, kSolveBilm)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solve_bench, KERVA, kSolveKerva)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solve_bench, ZARN1, kSolveZarn1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(optimize_bench, BILM, kOptBilm)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(optimize_bench, KERVA, kOptKerva)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(optimize_bench, ZARN1, kOptZarn1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
