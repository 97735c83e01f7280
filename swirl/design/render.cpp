#include "swirl/design/render.h"

#include <cmath>

#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"

namespace swirl {

namespace {

using nlohmann::ordered_json;

bool is_integer(const Field& f) { return f.type == calculators::ValueType::Integer; }

ordered_json json_value(const Field& f, const Value& v) {
    if (is_integer(f)) return v.integer;
    return static_cast<double>(v.real);
}

Value result_value(const Field& f, float r) {
    Value v;
    if (is_integer(f))
        v.integer = static_cast<std::int32_t>(r);
    else
        v.real = r;
    return v;
}

// A result as the report prints it, then its exact value: ".34490E+00 (0.3448979)".
std::string result_text(const Field& f, float r) {
    const Value v = result_value(f, r);
    if (is_integer(f)) return to_utf8(printed(f, v));
    return to_utf8(printed(f, v)) + " (" + exact_text(f, v) + ")";
}

// An integer prints exactly; a real gets its exact value after its field's text.
std::string input_text(const Field& f, const Shown& s) {
    if (is_integer(f)) return s.printed;
    return s.printed + " (" + exact_text(f, s.value) + ")";
}

std::string number(double v) { return shortest(static_cast<float>(v)); }

constexpr std::string_view kHeldNote = "values are those the input's field holds (as swirl set writes them)";

ordered_json solve_point(const Field& input, const Field& result, const SolvePoint& p) {
    return {{"value", json_value(input, p.input.value)},
            {"printed", p.input.printed},
            {"result", is_integer(result) ? ordered_json(static_cast<std::int64_t>(p.result))
                                          : ordered_json(static_cast<double>(p.result))}};
}

ordered_json crossing_json(const Field& input, const Field& result, const Crossing& c) {
    return {{"lower", solve_point(input, result, c.lower)},
            {"upper", solve_point(input, result, c.upper)},
            {"nearer", c.upper_nearer ? "upper" : "lower"},
            {"exact", c.exact}};
}

std::string_view solve_status(SolveResult::Status s) {
    switch (s) {
    case SolveResult::Status::Ok: return "ok";
    case SolveResult::Status::None: return "none";
    case SolveResult::Status::Invalid: return "invalid";
    }
    return "";
}

std::string scan_note(const SolveResult& r) {
    if (r.every_value) return "every held value of the range was computed";
    return "crossings closer together than the scan step may be missed (--scan all computes every held value)";
}

}  // namespace

ordered_json solve_json(const Calculator& calc, const std::string& path, const SolveProblem& problem,
                        const SolveResult& r) {
    const Field& input = calc.inputs[r.input];
    const Field& result = calc.results[r.result];
    ordered_json doc;
    doc["program"] = calc.name;
    doc["file"] = path;
    doc["find"] = input.name;
    doc["target"] = {{"name", result.name}, {"value", static_cast<double>(r.target)}};
    doc["range"] = ordered_json::array({json_value(input, r.lo.value), json_value(input, r.hi.value)});
    doc["evaluations"] = r.evaluations;
    ordered_json& crossings = doc["crossings"] = ordered_json::array();
    for (const Crossing& c : r.crossings) crossings.push_back(crossing_json(input, result, c));
    ordered_json& across = doc["across_invalid"] = ordered_json::array();
    for (const Crossing& c : r.across_invalid) across.push_back(crossing_json(input, result, c));
    doc["status"] = solve_status(r.status);
    if (problem.scan == SolveProblem::kScanAll)
        doc["scan"] = "all";
    else
        doc["scan"] = problem.scan;
    doc["held_values"] = r.held_values;
    if (r.nearest) {
        doc["nearest"] = solve_point(input, result, *r.nearest);
        doc["results_seen"] = ordered_json::array({static_cast<double>(r.result_min), static_cast<double>(r.result_max)});
    }
    doc["note"] = std::string(kHeldNote) + "; " + scan_note(r);
    return doc;
}

std::string solve_text(const Calculator& calc, const std::string& path, const SolveProblem& problem,
                       const SolveResult& r) {
    const Field& input = calc.inputs[r.input];
    const Field& result = calc.results[r.result];
    const std::string in(input.name), res(result.name);
    std::string t;
    t += path + ": " + res + " = " + shortest(r.target) + " for " + in + " from " + input_text(input, r.lo) + " to " +
         input_text(input, r.hi) + "\n";
    t += "held values: " + std::to_string(r.held_values) + " in the range, " +
         (problem.scan == SolveProblem::kScanAll ? std::string("every one") : std::to_string(r.scanned)) +
         " scanned\n";
    const auto pair = [&](const Crossing& c, const std::string& head, bool with_nearer) {
        t += head + "\n";
        const auto row = [&](const char* which, const SolvePoint& p, bool nearer) {
            t += std::string("  ") + which + "  " + in + " " + input_text(input, p.input) + "  " + res + " " +
                 result_text(result, p.result);
            if (with_nearer && nearer) t += p.result == r.target ? "  exact" : "  nearer";
            t += "\n";
        };
        row("lower", c.lower, !c.upper_nearer);
        row("upper", c.upper, c.upper_nearer);
    };
    for (std::size_t k = 0; k < r.crossings.size(); ++k)
        pair(r.crossings[k],
             "crossing " + std::to_string(k + 1) + " of " + std::to_string(r.crossings.size()) + ":", true);
    for (std::size_t k = 0; k < r.across_invalid.size(); ++k)
        pair(r.across_invalid[k], "across invalid inputs:", false);
    if (r.crossings.empty()) {
        t += "no crossing: " + res + " does not pass " + shortest(r.target) + " in the range\n";
        if (r.nearest) {
            t += "nearest: " + in + " " + input_text(input, r.nearest->input) + "  " + res + " " +
                 result_text(result, r.nearest->result) + "\n";
            t += res + " seen from " + shortest(r.result_min) + " to " + shortest(r.result_max) + "\n";
        }
    }
    t += "evaluations: " + std::to_string(r.evaluations) + "\n";
    t += "note: " + std::string(kHeldNote) + "; " + scan_note(r) + "\n";
    return t;
}

namespace {

ordered_json optional_number(const std::optional<float>& v) {
    return v ? ordered_json(static_cast<double>(*v)) : ordered_json(nullptr);
}

}  // namespace

ordered_json optimize_json(const Calculator& calc, const std::string& path, const OptimizeProblem&,
                           const OptimizeResult& r) {
    ordered_json doc;
    doc["program"] = calc.name;
    doc["file"] = path;
    doc["status"] = r.status == OptimizeResult::Status::Ok ? "ok" : "infeasible";
    const Field& obj = r.objective_is_input ? calc.inputs[r.objective] : calc.results[r.objective];
    doc["objective"] = {{"name", obj.name},
                        {"sense", r.maximize ? "maximize" : "minimize"},
                        {"value", optional_number(r.objective_value)}};
    ordered_json& inputs = doc["inputs"] = ordered_json::array();
    for (const OptimizeResult::Input& in : r.inputs)
        inputs.push_back({{"name", calc.inputs[in.input].name},
                          {"value", json_value(calc.inputs[in.input], in.value.value)},
                          {"printed", in.value.printed}});
    ordered_json& constraints = doc["constraints"] = ordered_json::array();
    for (const OptimizeResult::ConstraintState& c : r.constraints)
        constraints.push_back({{"name", calc.results[c.result].name},
                               {"op", op_text(c.op)},
                               {"limit", static_cast<double>(c.limit)},
                               {"value", optional_number(c.value)},
                               {"slack", c.value ? ordered_json(c.slack) : ordered_json(nullptr)},
                               {"active", c.active}});
    ordered_json& cert = doc["certificate"] = ordered_json::array();
    for (const OptimizeResult::Neighbour& n : r.certificate) {
        const Field& f = calc.inputs[n.input];
        cert.push_back({{"name", f.name},
                        {"direction", n.up ? "up" : "down"},
                        {"value", n.value ? json_value(f, n.value->value) : ordered_json(nullptr)},
                        {"printed", n.value ? ordered_json(n.value->printed) : ordered_json(nullptr)},
                        {"status", status_text(n.status)},
                        {"objective", optional_number(n.objective)}});
    }
    doc["evaluations"] = r.evaluations;
    doc["seed"] = r.seed;
    if (r.status != OptimizeResult::Status::Ok)
        doc["violation"] = std::isfinite(r.violation) ? ordered_json(r.violation) : ordered_json(nullptr);
    doc["note"] = std::string(kHeldNote);
    return doc;
}

std::string optimize_text(const Calculator& calc, const std::string& path, const OptimizeProblem& problem,
                          const OptimizeResult& r) {
    const Field& obj = r.objective_is_input ? calc.inputs[r.objective] : calc.results[r.objective];
    std::string t;
    t += path + ": " + (r.maximize ? "maximize " : "minimize ") + std::string(obj.name) + " over";
    for (const Range& v : problem.vary) t += " " + v.name + " " + number(v.lo) + ".." + number(v.hi) + (v.log ? " (log)" : "");
    t += "\n";
    if (r.status == OptimizeResult::Status::Ok) {
        t += "best feasible point (no neighbour is feasible and better):\n";
    } else {
        t += "no feasible point found; the point of least violation:\n";
    }
    for (const OptimizeResult::Input& in : r.inputs) {
        const Field& f = calc.inputs[in.input];
        t += "  " + std::string(f.name) + " " + input_text(f, in.value);
        if (r.objective_is_input && in.input == r.objective) t += "  objective";
        t += "\n";
    }
    if (!r.objective_is_input)
        t += "  " + std::string(obj.name) + " " +
             (r.objective_value ? result_text(obj, *r.objective_value) : "not computed") + "  objective\n";
    for (const OptimizeResult::ConstraintState& c : r.constraints) {
        const Field& f = calc.results[c.result];
        t += "  " + std::string(f.name) + " " + (c.value ? result_text(f, *c.value) : "not computed") + "  " +
             std::string(op_text(c.op)) + " " + shortest(c.limit);
        if (c.value) t += "  slack " + shortest(static_cast<float>(c.slack));
        if (c.active) t += "  active";
        t += "\n";
    }
    if (!r.certificate.empty()) {
        t += "certificate: each input one held step up and down\n";
        for (const OptimizeResult::Neighbour& n : r.certificate) {
            const Field& f = calc.inputs[n.input];
            t += "  " + std::string(f.name) + (n.up ? " up  " : " down") + "  ";
            if (n.value) {
                t += input_text(f, *n.value) + "  " + std::string(obj.name) + " " +
                     (n.objective ? shortest(*n.objective) : std::string("not computed")) + "  ";
            }
            t += std::string(status_text(n.status)) + "\n";
        }
    }
    t += "evaluations: " + std::to_string(r.evaluations) + ", seed " + std::to_string(r.seed) + "\n";
    t += "note: " + std::string(kHeldNote) + "\n";
    return t;
}

}  // namespace swirl
