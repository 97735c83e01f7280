// swirl.solve and swirl.optimize's native half: the problem parsed from the
// command's texts by the library's own parsers, solved with the GIL released,
// and the answer as the document of the command's --json (render.h) in
// Python objects, which the package turns into its dataclasses.  A
// KeyboardInterrupt (or any exception a signal handler raises) stops the
// search between evaluations.
#include <chrono>
#include <optional>

#include "bindings.h"
#include "swirl/api/values.h"
#include "swirl/design/optimize.h"
#include "swirl/design/render.h"
#include "swirl/design/solve.h"

namespace swirl::python {

namespace {

using nlohmann::ordered_json;

py::object to_python(const ordered_json& j) {
    switch (j.type()) {
    case ordered_json::value_t::null: return py::none();
    case ordered_json::value_t::boolean: return py::bool_(j.get<bool>());
    case ordered_json::value_t::number_integer: return py::int_(j.get<std::int64_t>());
    case ordered_json::value_t::number_unsigned: return py::int_(j.get<std::uint64_t>());
    case ordered_json::value_t::number_float: return py::float_(j.get<double>());
    case ordered_json::value_t::string: return py::str(j.get<std::string>());
    case ordered_json::value_t::array: {
        py::list l;
        for (const ordered_json& e : j) l.append(to_python(e));
        return l;
    }
    case ordered_json::value_t::object: {
        py::dict d;
        for (const auto& [key, value] : j.items()) d[py::str(key)] = to_python(value);
        return d;
    }
    default: return py::none();
    }
}

unsigned threads(int jobs) {
    if (jobs < 0 || jobs > 1024) throw UsageError("jobs: 1 to 1024 threads, or 0 for one per core");
    return static_cast<unsigned>(jobs);
}

// Runs a search with the GIL released; every tenth of a second (in the
// search's progress, on this thread) the GIL is taken to run the signal
// handlers, and an exception of theirs cancels the search and is raised.
template <typename Search>
auto interruptible(Search search) {
    std::atomic<bool> cancel{false};
    std::optional<py::error_already_set> raised;
    auto next = std::chrono::steady_clock::now();
    const DesignProgress progress = [&](std::int64_t, std::int64_t) {
        const auto now = std::chrono::steady_clock::now();
        if (now < next || raised) return;
        next = now + std::chrono::milliseconds(100);
        const py::gil_scoped_acquire held;
        if (PyErr_CheckSignals() != 0) {
            raised.emplace();
            cancel = true;
        }
    };
    auto result = [&] {
        const py::gil_scoped_release released;
        return search(progress, &cancel);
    }();
    if (raised) throw std::move(*raised);
    return result;
}

std::int64_t scan_of(const py::object& scan) {
    if (py::isinstance<py::str>(scan)) {
        if (scan.cast<std::string>() == "all") return SolveProblem::kScanAll;
        throw UsageError("scan " + scan.cast<std::string>() + ": expected a whole number of points or all");
    }
    if (!py::isinstance<py::int_>(scan) || py::isinstance<py::bool_>(scan))
        throw UsageError("scan: expected a whole number of points or \"all\"");
    return scan.cast<std::int64_t>();
}

// solve(file, find, target, scan, jobs): the document of swirl solve --json;
// InvalidFailed when every case is invalid.
py::object solve_file(const DataFile& file, const std::string& find, const std::string& target,
                      const py::object& scan, int jobs) {
    SolveProblem p;
    p.find = parse_range(find, "--find");
    p.target = parse_target(target);
    p.scan = scan_of(scan);
    p.jobs = threads(jobs);
    p.calc = file.calc;
    p.base = inputs_or_raise(file);
    const SolveResult r = interruptible(
        [&](const DesignProgress& progress, const std::atomic<bool>* cancel) { return solve(p, progress, cancel); });
    if (r.status == SolveResult::Status::Invalid)
        throw InvalidFailed(computation_invalid(file).what(), std::string(file.calc->name), "", {});
    return to_python(solve_json(*file.calc, file.path, p, r));
}

// optimize(file, vary, objective, maximize, subject_to, evaluations, seed):
// the document of swirl optimize --json.
py::object optimize_file(const DataFile& file, const std::vector<std::string>& vary, const std::string& objective,
                         bool maximize, const std::vector<std::string>& subject_to, std::int64_t evaluations,
                         std::uint64_t seed) {
    OptimizeProblem p;
    for (const std::string& v : vary) p.vary.push_back(parse_range(v, "--vary"));
    if (p.vary.empty()) throw UsageError("at least one --vary NAME=LO:HI is needed");
    for (const std::string& c : subject_to) p.constraints.push_back(parse_constraint(c));
    p.objective = objective;
    p.maximize = maximize;
    p.evaluations = evaluations;
    p.seed = seed;
    p.calc = file.calc;
    p.base = inputs_or_raise(file);
    const OptimizeResult r = interruptible([&](const DesignProgress& progress, const std::atomic<bool>* cancel) {
        return optimize(p, progress, cancel);
    });
    return to_python(optimize_json(*file.calc, file.path, p, r));
}

}  // namespace

void bind_design(py::module_& m) {
    m.def("solve", &solve_file, py::arg("file"), py::arg("find"), py::arg("target"), py::arg("scan"),
          py::arg("jobs") = 0, "swirl solve --json's document.");
    m.def("optimize", &optimize_file, py::arg("file"), py::arg("vary"), py::arg("objective"), py::arg("maximize"),
          py::arg("subject_to"), py::arg("evaluations"), py::arg("seed"), "swirl optimize --json's document.");
}

}  // namespace swirl::python
