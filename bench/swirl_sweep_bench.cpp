// Cases per second of a sweep in memory against the program run once per
// case, as a shell loop over data files would run it.
//
// For each program that swirl knows, on its example data file:
//   sweep/<P>/jobs:1      swirl's sweep on one thread: the grid values held,
//                         every case computed and its CSV row formatted; the
//                         rows go to a sink that only counts their bytes
//   sweep/<P>/jobs:<n>    the same with one thread per core
//   spawn/<P>             per case: the data file written with the case's
//                         value in its field, the program started on it in a
//                         scratch directory (fork, exec) and waited for
// items_per_second is cases per second in wall-clock time; scripts/bench
// prints the ratios.  The sweeps are two-dimensional (a long grid of one input
// times a few values of another), like the studies in docs/SWIRL.md.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "swirl/core/grid.h"
#include "swirl/core/ordered_run.h"
#include "swirl/model/model.h"
#include "swirl/study/sweep.h"

namespace {

using swirl::Calculator;
using swirl::Grid;
using swirl::Value;

// The built programs, by name.
const std::map<std::string, std::string, std::less<>> kPrograms = {
    {"BILM", BILM_PATH}, {"KERVA", KERVA_PATH}, {"ZARN1", ZARN1_PATH}};

// A study of each program: the outer grid first, the inner one last.  Cases
// of every kind (a regime change, invalid cases where the program has them)
// are part of a real study.  Each is some tens of milliseconds of work on a
// core, so that starting the threads is a small part of it.
const std::map<std::string, std::vector<std::string>, std::less<>> kStudies = {
    {"BILM", {"RCR=0.05:0.2:10", "Q=0.00001:0.01:10000:log"}},
    {"KERVA", {"LGSG=0:0.6:4", "D50=0.000001:0.0001:5000:log"}},
    {"ZARN1", {"NVS=0:1:2", "RK=0.08:0.12:4", "R1=0.01:0.05:2500"}},
};

std::vector<Value> example_inputs(const Calculator& calc) {
    std::vector<Value> inputs(calc.inputs.size());
    calculators::ReadFailure where;
    if (!calc.read(calc.example, inputs, where)) throw std::runtime_error("the example cannot be read");
    return inputs;
}

std::vector<Grid> study_grids(const Calculator& calc) {
    std::vector<Grid> grids;
    const auto it = kStudies.find(calc.name);
    if (it == kStudies.end()) {
        // A program without a study here: its first input from half to one
        // and a half times the example's value.
        const float v = example_inputs(calc).front().real;
        grids.push_back({std::string(calc.inputs.front().name), 0.5 * v, 1.5 * v, 400, false});
        return grids;
    }
    for (const std::string& text : it->second) grids.push_back(swirl::parse_grid(text));
    return grids;
}

void sweep_case(benchmark::State& state, const Calculator* calc, unsigned jobs) {
    const std::vector<Value> base = example_inputs(*calc);
    const std::vector<Grid> grids = study_grids(*calc);
    std::int64_t cases = 0, bytes = 0;
    for (auto _ : state) {
        const swirl::Sweep sweep(*calc, base, grids);
        sweep.run(jobs, [&](std::string_view rows) { bytes += static_cast<std::int64_t>(rows.size()); });
        cases += sweep.total();
    }
    state.SetItemsProcessed(cases);
    state.SetBytesProcessed(bytes);
}

// Starts `program` in `dir` and waits for it; its output goes nowhere.
int spawn_and_wait(const std::string& program, const std::string& dir) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void spawn_case(benchmark::State& state, const Calculator* calc) {
    const std::string program = kPrograms.at(std::string(calc->name));
    char pattern[] = "/tmp/swirl_sweep_bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    const std::string dir = pattern;
    const std::string file = dir + "/" + std::string(calc->data_file);
    const std::vector<Grid> grids = study_grids(*calc);
    const Grid& g = grids.back();
    const swirl::Field& field = calc->inputs[swirl::input_index(*calc, g.name)];
    std::int64_t i = 0, cases = 0;
    for (auto _ : state) {
        // What a shell loop does per case: the value typed into the file,
        // then the program on it.
        const std::string bytes =
            swirl::put_field(calc->example, field, swirl::hold(field, g.value(i++ % g.count)));
        std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const int code = spawn_and_wait(program, dir);
        if (code != 0 && code != 3) {
            state.SkipWithError("the program failed");
            break;
        }
        ++cases;
    }
    state.SetItemsProcessed(cases);
    std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const unsigned cores = swirl::default_jobs();
    for (const Calculator* calc : swirl::programs()) {
        const std::string name(calc->name);
        benchmark::RegisterBenchmark(("sweep/" + name + "/jobs:1").c_str(), sweep_case, calc, 1u)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        if (cores > 1)
            benchmark::RegisterBenchmark(("sweep/" + name + "/jobs:" + std::to_string(cores)).c_str(), sweep_case,
                                         calc, cores)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        if (kPrograms.count(name) != 0)
            benchmark::RegisterBenchmark(("spawn/" + name).c_str(), spawn_case, calc)
                ->UseRealTime()
                ->MinTime(1.0)
                ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
