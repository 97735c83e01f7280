// swirl.sample, swirl.sensitivity and swirl.summary's native half: the
// commands' texts parsed by the library's own parsers, the studies computed
// with the GIL released, and what the commands print: a sample's cases as a
// Table (table.h), the indices of a sensitivity study and the statistics of
// a study's table as the documents of their --json.
#include <algorithm>

#include "bindings.h"
#include "swirl/study/sample.h"
#include "swirl/study/sensitivity.h"
#include "swirl/study/summary.h"
#include "table.h"

namespace swirl::python {

namespace {

unsigned threads(int jobs) {
    if (jobs < 0 || jobs > 1024) throw UsageError("jobs: 1 to 1024 threads, or 0 for one per core");
    return static_cast<unsigned>(jobs);
}

// sample(file, vary, count, design, seed, shard, jobs): swirl sample's cases
// of the shard (without the column case), their numbers, and the total.
py::tuple sample(const DataFile& file, const std::vector<std::string>& vary_texts, std::int64_t count,
                 const std::string& design, std::uint64_t seed, const std::string& shard_text, int jobs) {
    std::vector<SampledInput> vary;
    for (const std::string& text : vary_texts) vary.push_back(parse_sampled_input(text));
    if (count < 1) throw UsageError("--count " + std::to_string(count) + ": a whole number of cases, 1 or more");
    const Design d = parse_design(design);
    const Shard shard = parse_shard(shard_text);
    const unsigned n = threads(jobs);
    const std::vector<Value>& base = inputs_or_raise(file);
    const Sample study(*file.calc, base, vary, count, d, seed, shard);
    const CaseRange range = study.cases();
    Table table(*file.calc, range.end - range.begin);
    table.run(n, base, [&](Worker& w, std::int64_t i) { w.inputs = study.inputs_of(range.begin + i); });
    return py::make_tuple(table.columns(), range.begin, range.end, study.total());
}

// sensitivity(file, vary, method, count, seed, levels, jobs, results): the
// document of swirl sensitivity --json, its indices as columns.
py::dict sensitivity(const DataFile& file, const std::vector<std::string>& vary, const std::string& method_text,
                     const std::optional<std::int64_t>& count_given, std::uint64_t seed, int levels, int jobs,
                     const std::vector<std::string>& only) {
    std::vector<InputRange> ranges;
    for (const std::string& text : vary) ranges.push_back(parse_input_range(text));
    const Method method = parse_method(method_text);
    if (levels < 2) throw UsageError("--levels " + std::to_string(levels) + ": a whole number, 2 or more");
    if (count_given && method == Method::oat) throw UsageError("--count is for --method morris and sobol");
    if (count_given && *count_given < 1)
        throw UsageError("--count " + std::to_string(*count_given) + ": a whole number, 1 or more");
    const std::int64_t count = count_given ? *count_given : method == Method::morris ? 20 : 1024;
    const unsigned n = threads(jobs);
    const Calculator& calc = *file.calc;
    const Sensitivity study(calc, inputs_or_raise(file), ranges);
    std::vector<std::string> results;
    for (const std::string& name : only) results.emplace_back(calc.results[result_index(calc, name)].name);
    SensitivityReport r;
    {
        const py::gil_scoped_release released;
        r = method == Method::oat      ? study.oat(n)
            : method == Method::morris ? study.morris(count, levels, seed, n)
                                       : study.sobol(count, seed, n);
    }
    if (!results.empty()) {
        const auto unwanted = [&](const auto& e) {
            return std::find(results.begin(), results.end(), e.result) == results.end();
        };
        std::erase_if(r.oat, unwanted);
        std::erase_if(r.morris, unwanted);
        std::erase_if(r.sobol, unwanted);
    }
    py::dict columns;
    const auto column = [&](const char* name, const auto& entries, auto member) {
        using T = std::decay_t<decltype(entries.front().*member)>;
        std::vector<T> values;
        for (const auto& e : entries) values.push_back(e.*member);
        columns[name] = values;
    };
    const auto common = [&](const auto& entries) {
        column("input", entries, &std::decay_t<decltype(entries.front())>::input);
        column("result", entries, &std::decay_t<decltype(entries.front())>::result);
    };
    switch (method) {
    case Method::oat:
        common(r.oat);
        column("low", r.oat, &OatEntry::low);
        column("high", r.oat, &OatEntry::high);
        column("swing", r.oat, &OatEntry::swing);
        break;
    case Method::morris:
        common(r.morris);
        column("mu_star", r.morris, &MorrisEntry::mu_star);
        column("mu", r.morris, &MorrisEntry::mu);
        column("sigma", r.morris, &MorrisEntry::sigma);
        break;
    case Method::sobol:
        common(r.sobol);
        column("S1", r.sobol, &SobolEntry::S1);
        column("S1_low", r.sobol, &SobolEntry::S1_low);
        column("S1_high", r.sobol, &SobolEntry::S1_high);
        column("ST", r.sobol, &SobolEntry::ST);
        column("ST_low", r.sobol, &SobolEntry::ST_low);
        column("ST_high", r.sobol, &SobolEntry::ST_high);
        break;
    }
    py::dict doc;
    doc["method"] = std::string(method_name(r.method));
    doc["evaluations"] = r.evaluations;
    doc["invalid"] = r.invalid;
    doc["indices"] = columns;
    return doc;
}

// summary(text, name, specs): the document of swirl summary --json, with the
// program and the number of cases; `name` names the table in messages.
py::dict summary(const py::bytes& data, const std::string& name, const std::vector<std::string>& specs) {
    std::vector<Requirement> requirements;
    for (const std::string& text : specs) requirements.push_back(parse_requirement(text));
    const std::string text(data);
    TableSummary s;
    try {
        const CsvTable table = read_csv(text);
        if (!study_columns(table.columns))
            throw UsageError(name + " is not a table that swirl sweep or swirl sample wrote (its header tells no "
                                    "program)");
        s = summarize(table, requirements);
    } catch (const CsvError& e) {
        throw Failure(calculators::kExitUnreadable, name + ": " + e.what());
    }
    py::list results, shares;
    for (const ResultSummary& r : s.results) {
        py::dict d;
        d["name"] = r.name;
        d["ok"] = r.ok;
        d["invalid"] = r.invalid;
        d["not_computed"] = r.not_computed;
        d["mean"] = r.mean;
        d["sd"] = r.sd;
        d["min"] = r.min;
        d["p5"] = r.p5;
        d["p50"] = r.p50;
        d["p95"] = r.p95;
        d["max"] = r.max;
        results.append(d);
    }
    for (const RequirementShare& q : s.requirements) {
        py::dict d;
        d["spec"] = q.text;
        d["met"] = q.met;
        d["cases"] = q.cases;
        d["share"] = q.share;
        d["low"] = q.low;
        d["high"] = q.high;
        shares.append(d);
    }
    py::dict doc;
    doc["program"] = std::string(s.program->name);
    doc["cases"] = s.cases;
    doc["results"] = results;
    doc["specs"] = shares;
    return doc;
}

}  // namespace

void bind_studies(py::module_& m) {
    m.def("sample", &sample, py::arg("file"), py::arg("vary"), py::arg("count"), py::arg("design"),
          py::arg("seed"), py::arg("shard") = "1/1", py::arg("jobs") = 0,
          "The cases of swirl sample: (columns, first case, end, total).");
    m.def("sensitivity", &sensitivity, py::arg("file"), py::arg("vary"), py::arg("method"), py::arg("count"),
          py::arg("seed"), py::arg("levels"), py::arg("jobs"), py::arg("results"),
          "swirl sensitivity --json's document, the indices as columns.");
    m.def("summary", &summary, py::arg("data"), py::arg("name"), py::arg("specs"),
          "swirl summary --json's document, with program and cases.");
}

}  // namespace swirl::python
