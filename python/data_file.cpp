// swirl.DataFile's native half: a data file read from a path or from bytes,
// its inputs and fields, values held and set, the computation, the report and
// the program's whole run.  Everything here runs with the GIL held: opening,
// checking and reporting use a FIXREC memory unit, one thread at a time.
#include <filesystem>

#include "bindings.h"
#include "calculators/exit_code.h"
#include "fixrec/replacement_file.h"
#include "swirl/api/values.h"
#include "swirl/core/cp866_text.h"
#include "swirl/model/edits.h"

namespace swirl::python {

namespace {

std::optional<std::string> optional_text(const py::object& o) {
    if (o.is_none()) return std::nullopt;
    return o.cast<std::string>();
}

DataFile checked(DataFile file) {
    (void)inputs_or_raise(file);
    return file;
}

DataFile read(const std::string& path, const py::object& program) {
    std::string bytes;
    if (const int err = read_whole_file(path, bytes); err != 0) {
        errno = err;
        PyErr_SetFromErrnoWithFilename(PyExc_OSError, path.c_str());
        throw py::error_already_set();
    }
    return checked(data_file_from_bytes(std::move(bytes), path, optional_text(program)));
}

DataFile from_bytes(const py::bytes& data, const std::string& path, const py::object& program) {
    return checked(data_file_from_bytes(std::string(data), path, optional_text(program)));
}

std::vector<Assignment> assignments(const DataFile& file, const std::vector<std::pair<std::string, std::string>>& values) {
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (const auto& [name, value] : values) texts.push_back(name + "=" + value);
    return parse_assignments(*file.calc, texts);
}

// The file with the values set, as swirl set writes them; the same path.
DataFile set(const DataFile& file, const std::vector<std::pair<std::string, std::string>>& values) {
    const std::string bytes = set_values(file, assignments(file, values));
    return checked(data_file_from_bytes(bytes, file.path, std::string(file.calc->name)));
}

py::object held(const DataFile& file, const std::string& name, const std::string& value) {
    const std::vector<Assignment> a = assignments(file, {{name, value}});
    return value_object(file.calc->inputs[a[0].input], a[0].held.value);
}

py::dict inputs(const DataFile& file) {
    py::dict d;
    const std::vector<Value>& values = inputs_or_raise(file);
    for (std::size_t k = 0; k < file.calc->inputs.size(); ++k)
        d[py::str(std::string(file.calc->inputs[k].name))] = value_object(file.calc->inputs[k], values[k]);
    return d;
}

std::string trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

py::dict printed_fields(const DataFile& file) {
    py::dict d;
    for (const Field& f : file.calc->inputs)
        d[py::str(std::string(f.name))] = trimmed(to_utf8(field_text(file.bytes, f)));
    return d;
}

py::list findings(const DataFile& file) {
    py::list l;
    for (const Finding& f : file.findings)
        l.append(py::make_tuple(std::string(kind_name(f.kind)), f.line, f.input, f.message));
    return l;
}

std::vector<std::string> utf8_lines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const std::string& l : lines) out.push_back(to_utf8(l));
    return out;
}

// (valid, results, messages, reason, verdicts, profiles): the results the
// run computed, the console lines, the exit-3 line, the verdicts reached and,
// for ZARN1, the profile tables as {column: array}.
py::tuple compute_file(const DataFile& file, bool profiles) {
    const Calculator& calc = *file.calc;
    calculators::Outcome out;
    calc.compute(inputs_or_raise(file), profiles && calc.profiles, out);
    py::dict results, verdicts;
    if (out.valid) {
        for (std::size_t k = 0; k < calc.results.size() && k < out.results.size(); ++k)
            if (k < out.computed.size() && out.computed[k])
                results[py::str(std::string(calc.results[k].name))] = value_object(calc.results[k], out.results[k]);
        for (std::size_t k = 0; k < calc.verdicts.size() && k < out.verdicts.size(); ++k)
            if (!out.verdicts[k].empty()) verdicts[py::str(std::string(calc.verdicts[k].name))] = to_utf8(out.verdicts[k]);
    }
    py::list messages;
    for (const std::string& line : out.console) messages.append(py::str(to_utf8(line)));
    py::object tables = py::none();
    if (out.valid && !out.tables.empty()) {
        py::list list;
        for (const std::vector<calculators::Column>& table : out.tables) {
            py::dict t;
            for (const calculators::Column& c : table) {
                py::array_t<float> a(static_cast<py::ssize_t>(c.values.size()));
                std::copy(c.values.begin(), c.values.end(), a.mutable_data());
                t[py::str(std::string(c.name))] = a;
            }
            list.append(t);
        }
        tables = list;
    }
    return py::make_tuple(out.valid, results, messages, out.valid ? std::string() : to_utf8(out.failure), verdicts,
                          tables);
}

InvalidFailed invalid(const DataFile& file, const calculators::Outcome& out) {
    return InvalidFailed(computation_invalid(file).what(), std::string(file.calc->name), to_utf8(out.failure),
                         utf8_lines(out.console));
}

py::bytes report(const DataFile& file) {
    std::string bytes;
    if (!file.calc->report(inputs_or_raise(file), bytes)) {
        calculators::Outcome out;
        file.calc->compute(file.values, false, out);
        throw invalid(file, out);
    }
    return py::bytes(bytes);
}

// `bytes` become the content of the file at `path`, whole or not at all.
void write_bytes(const std::string& path, std::string_view bytes) {
    try {
        fixrec::ReplacementFile out(path);
        out.write(bytes);
        out.commit();
    } catch (const fixrec::Fatal& e) {
        throw Failure(calculators::kExitNotWritten, path + " is as it was: " + e.what());
    }
}

// The console of a run, kept.
class Console : public fixrec::ConsoleDevice {
public:
    void write_out(std::string_view bytes) override { text += bytes; }
    void write_err(std::string_view bytes) override { text += bytes; }
    bool read_line(std::string&) override { return false; }
    std::string text;
};

// The program's whole run on the data file at `path` once it holds the
// file's bytes: (exit code, console in UTF-8).
py::tuple run(const DataFile& file, const std::string& path) {
    std::string there;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored) || read_whole_file(path, there) != 0 || there != file.bytes)
        write_bytes(path, file.bytes);
    Console console;
    const int code = file.calc->run(path, {}, &console);
    return py::make_tuple(code, to_utf8(console.text));
}

}  // namespace

void bind_data_file(py::module_& m) {
    py::class_<DataFile>(m, "DataFile", "A data file as the library holds it; use swirl.DataFile.")
        .def_static("read", &read, py::arg("path"), py::arg("program") = py::none())
        .def_static("from_bytes", &from_bytes, py::arg("data"), py::arg("path"), py::arg("program") = py::none())
        .def_property_readonly("program", [](const DataFile& f) { return std::string(f.calc->name); })
        .def_property_readonly("path", [](const DataFile& f) { return f.path; })
        .def_property_readonly("bytes", [](const DataFile& f) { return py::bytes(f.bytes); })
        .def_property_readonly("inputs", &inputs)
        .def_property_readonly("printed", &printed_fields)
        .def_property_readonly("findings", &findings)
        .def("set", &set, py::arg("values"))
        .def("held", &held, py::arg("name"), py::arg("value"))
        .def("compute", &compute_file, py::arg("profiles") = true)
        .def("report", &report)
        .def("write", [](const DataFile& f, const std::string& path) { write_bytes(path, f.bytes); }, py::arg("path"))
        .def("run", &run, py::arg("path"));
}

}  // namespace swirl::python
