// swirl.evaluate and swirl.sweep's native half: their cases computed into a
// Table (table.h), the columns of swirl sweep's CSV.
#include <cmath>
#include <cstring>

#include "swirl/study/case_list.h"
#include "swirl/study/sweep.h"
#include "table.h"

namespace swirl::python {

namespace {

using calculators::ValueType;

unsigned jobs_of(int jobs) {
    if (jobs < 0 || jobs > 1024) throw UsageError("jobs: 1 to 1024 threads, or 0 for one per core");
    return static_cast<unsigned>(jobs);
}

std::string value_text(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

// The value a column's typed value becomes: held as its field holds it, or
// (unheld) the float32 or the integer given.
Value column_value(const Field& field, double typed, bool held) {
    try {
        if (held) return hold(field, typed).value;
        Value value;
        if (field.type == ValueType::Integer) {
            if (typed != std::trunc(typed) || std::fabs(typed) > 2147483647.0)
                throw UsageError(std::string(field.name) + " takes a whole number");
            value.integer = static_cast<std::int32_t>(typed);
        } else {
            value.real = static_cast<float>(typed);
            if (!std::isfinite(value.real))
                throw UsageError(std::string(field.name) + ": the value is beyond single precision");
        }
        return value;
    } catch (const UsageError& e) {
        throw UsageError(std::string(field.name) + "=" + value_text(typed) + ": " + e.what());
    }
}

// evaluate(file, names, columns, held, jobs): the file's inputs with each
// named input taken from its column (float64, all of one length).  A worker
// holds a value once: it keeps the values it has held, by their bits, up to
// kKept of them a column (the repeats of a grid of several inputs).
py::dict evaluate(const DataFile& file, const std::vector<std::string>& names,
                  const std::vector<py::array_t<double, py::array::c_style | py::array::forcecast>>& columns,
                  bool held, int jobs) {
    constexpr std::size_t kKept = std::size_t{1} << 16;
    const Calculator& calc = *file.calc;
    const std::vector<Value>& base = inputs_or_raise(file);
    struct Column {
        std::size_t input;
        const double* data;
    };
    std::vector<Column> varied;
    std::int64_t n = columns.empty() ? 1 : -1;
    for (std::size_t c = 0; c < names.size() && c < columns.size(); ++c) {
        const std::size_t input = input_index(calc, names[c]);
        for (const Column& v : varied)
            if (v.input == input) throw UsageError(std::string(calc.inputs[input].name) + " is given twice");
        const auto size = static_cast<std::int64_t>(columns[c].size());
        if (n >= 0 && size != n) throw UsageError("the columns differ in length");
        n = size;
        varied.push_back({input, columns[c].data()});
    }
    Table table(calc, n);
    table.run(jobs_of(jobs), base, [&](Worker& w, std::int64_t i) {
        if (w.kept.empty()) {
            w.kept.resize(varied.size());
            w.last.assign(varied.size(), ~std::uint64_t{0});
        }
        for (std::size_t c = 0; c < varied.size(); ++c) {
            const double typed = varied[c].data[i];
            std::uint64_t bits;
            std::memcpy(&bits, &typed, sizeof bits);
            if (bits == w.last[c]) continue;  // as in the case before
            w.last[c] = bits;
            Value& value = w.inputs[varied[c].input];
            auto& kept = w.kept[c];
            if (const auto it = kept.find(bits); it != kept.end()) {
                value = it->second;
                continue;
            }
            value = column_value(calc.inputs[varied[c].input], typed, held);
            if (kept.size() < kKept) kept.emplace(bits, value);
        }
    });
    return table.columns();
}

// sweep(file, grids, shard, jobs): swirl sweep's cases of the shard, and
// their numbers.
py::tuple sweep(const DataFile& file, const std::vector<std::string>& grid_texts, const std::string& shard_text,
                int jobs) {
    std::vector<Grid> grids;
    for (const std::string& text : grid_texts) grids.push_back(parse_grid(text));
    const Shard shard = parse_shard(shard_text);
    const unsigned threads = jobs_of(jobs);
    const Sweep study(*file.calc, inputs_or_raise(file), grids, shard);
    const CaseRange range = study.cases();
    Table table(*file.calc, range.end - range.begin);
    table.run(threads, inputs_or_raise(file),
              [&](Worker& w, std::int64_t i) { w.inputs = study.inputs_of(range.begin + i); });
    return py::make_tuple(table.columns(), range.begin, range.end, study.total());
}

// sweep_cases(file, data, name, shard, jobs): swirl sweep --cases's cases of
// the shard, the case list's CSV text in `data`, named `name` in messages.
py::tuple sweep_cases(const DataFile& file, const py::bytes& data, const std::string& name,
                      const std::string& shard_text, int jobs) {
    const Shard shard = parse_shard(shard_text);
    const unsigned threads = jobs_of(jobs);
    const std::vector<Value>& base = inputs_or_raise(file);
    const Sweep study(*file.calc, base, read_case_list(*file.calc, std::string(data), name), shard);
    const CaseRange range = study.cases();
    Table table(*file.calc, range.end - range.begin);
    table.run(threads, base, [&](Worker& w, std::int64_t i) { w.inputs = study.inputs_of(range.begin + i); });
    return py::make_tuple(table.columns(), range.begin, range.end, study.total());
}

}  // namespace

void bind_cases(py::module_& m) {
    m.def("evaluate", &evaluate, py::arg("file"), py::arg("names"), py::arg("columns"), py::arg("held") = true,
          py::arg("jobs") = 0, "The cases of columns of inputs over a data file's other inputs.");
    m.def("sweep", &sweep, py::arg("file"), py::arg("grids"), py::arg("shard") = "1/1", py::arg("jobs") = 0,
          "The cases of swirl sweep: (columns, first case, end, total).");
    m.def("sweep_cases", &sweep_cases, py::arg("file"), py::arg("data"), py::arg("name"), py::arg("shard") = "1/1",
          py::arg("jobs") = 0, "The cases of swirl sweep --cases: (columns, first case, end, total).");
}

}  // namespace swirl::python
