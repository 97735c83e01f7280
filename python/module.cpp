// The extension swirl._swirl: the library (swirl/api, swirl/study) for the
// package swirl, which wraps it in Python (python/swirl/__init__.py).  The
// exceptions are the package's own classes, handed over by _set_exceptions
// when the package is imported; a library failure becomes one of them.
#include <cstdio>

#include "bindings.h"
#include "swirl/api/failure.h"
#include "swirl/core/cp866_text.h"
#include "swirl/model/model.h"

namespace swirl::python {

namespace {

// Owned references kept for the life of the process: a static py::object
// would be released after the interpreter has finished.
PyObject* g_float32 = nullptr;
struct Exceptions {
    PyObject* usage = PyExc_ValueError;
    PyObject* read = PyExc_RuntimeError;
    PyObject* invalid = PyExc_RuntimeError;
    PyObject* write = PyExc_OSError;
} g_exceptions;

void raise(PyObject* type, const py::tuple& args) {
    py::object error = py::reinterpret_borrow<py::object>(type)(*args);
    PyErr_SetObject(type, error.ptr());
}

void set_exceptions(py::object usage, py::object read, py::object invalid, py::object write) {
    g_exceptions = {usage.release().ptr(), read.release().ptr(), invalid.release().ptr(), write.release().ptr()};
}

void translate(std::exception_ptr failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const ReadFailed& e) {
        const ReadError& r = e.error;
        py::object field = r.field.empty() ? py::object(py::none()) : py::object(py::str(r.field));
        raise(g_exceptions.read, py::make_tuple(e.what(), e.path, r.line, field, r.first_column, r.last_column,
                                                to_utf8(r.found), reason_name(r.reason)));
    } catch (const InvalidFailed& e) {
        raise(g_exceptions.invalid, py::make_tuple(e.what(), e.program, e.reason, e.messages));
    } catch (const UsageError& e) {
        raise(g_exceptions.usage, py::make_tuple(e.what()));
    } catch (const Failure& e) {
        switch (e.code()) {
            case calculators::kExitNotWritten: raise(g_exceptions.write, py::make_tuple(e.what())); break;
            case calculators::kExitUnreadable:
                raise(g_exceptions.read, py::make_tuple(e.what(), py::none(), py::none(), py::none(), py::none(),
                                                        py::none(), py::none(), "unreadable"));
                break;
            case calculators::kExitInvalidArithmetic:
                raise(g_exceptions.invalid, py::make_tuple(e.what(), py::none(), "", py::list()));
                break;
            default: PyErr_SetString(PyExc_RuntimeError, e.what());
        }
    }
}

std::string columns_text(int first, int last) {
    return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
}

// "E12.5", "F11.4", "I1", as swirl fields prints them.
std::string descriptor_text(const fixrec::Descriptor& d) {
    switch (d.kind) {
        case fixrec::DescKind::E: return "E" + std::to_string(d.w) + "." + std::to_string(d.d);
        case fixrec::DescKind::F: return "F" + std::to_string(d.w) + "." + std::to_string(d.d);
        case fixrec::DescKind::I: return "I" + std::to_string(d.w);
        default: return "A" + std::to_string(d.w);
    }
}

// The rows of swirl fields PROGRAM: the inputs, then the results.
py::list fields(const std::string& program) {
    const Calculator& calc = program_named(program);
    py::list rows;
    auto row = [&](const Field& f, bool input) {
        py::dict r;
        r["kind"] = input ? "input" : "result";
        r["line"] = f.line;
        r["name"] = std::string(f.name);
        r["type"] = f.type == calculators::ValueType::Integer ? "integer" : "real";
        if (!input && f.shown == calculators::Shown::Console) {
            r["columns"] = "console";
            r["read"] = "";
            r["report"] = "list";
        } else {
            const FieldPlace p = field_place(f);
            r["columns"] = input ? columns_text(p.read_first, p.read_last) : columns_text(p.report_first, p.report_last);
            r["read"] = input ? std::string(f.read.source()) : std::string();
            r["report"] = descriptor_text(p.report);
        }
        r["unit"] = to_utf8(f.unit);
        r["meaning"] = std::string(f.meaning);
        rows.append(r);
    };
    for (const Field& f : calc.inputs) row(f, true);
    for (const Field& f : calc.results) row(f, false);
    return rows;
}

}  // namespace

py::object real_object(float value) {
    PyObject* number = PyFloat_FromDouble(static_cast<double>(value));
    if (number == nullptr) throw py::error_already_set();
    PyObject* scalar = PyObject_CallOneArg(g_float32, number);
    Py_DECREF(number);
    if (scalar == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(scalar);
}

py::object value_object(const Field& field, const Value& value) {
    if (field.type == calculators::ValueType::Integer) return py::int_(value.integer);
    return real_object(value.real);
}

const Calculator& program_named(std::string_view name) {
    const Calculator* calc = find_program(name);
    if (calc == nullptr) throw UsageError(unknown_program(name));
    return *calc;
}

std::string_view reason_name(ReadReason reason) {
    switch (reason) {
        case ReadReason::NotANumber: return "not-a-number";
        case ReadReason::NotAWholeNumber: return "not-a-whole-number";
        case ReadReason::BeyondSinglePrecision: return "beyond-single-precision";
        case ReadReason::EndOfFileMark: return "end-of-file-mark";
        case ReadReason::EndOfFile: return "end-of-file";
    }
    return "not-a-number";
}

const std::vector<Value>& inputs_or_raise(const DataFile& file) {
    if (file.error) throw ReadFailed(file.unreadable().what(), file.path, *file.error);
    return file.values;
}

}  // namespace swirl::python

PYBIND11_MODULE(_swirl, m) {
    namespace py = pybind11;
    using namespace swirl::python;
    m.doc() = "The library of the swirl suite; use the package swirl, which wraps it.";
    // numpy imported here, on the importing thread: the first arrays made by
    // several threads at once would otherwise race to import it.
    py::module_ numpy = py::module_::import("numpy");
    g_float32 = py::object(numpy.attr("float32")).release().ptr();
    (void)py::array_t<float>(0);

    py::register_exception_translator(translate);
    m.def("_set_exceptions", &set_exceptions, "The package's exception classes: usage, read, invalid, write.");
    m.def("programs", [] {
        std::vector<std::string> names;
        for (const swirl::Calculator* calc : swirl::programs()) names.emplace_back(calc->name);
        return names;
    }, "The programs: ['BILM', 'KERVA', 'ZARN1'].");
    m.def("fields", &fields, py::arg("program"), "The inputs and results of a program, as records.");
    m.def("program_of", [](const std::string& name) { return std::string(program_named(name).name); },
          py::arg("name"), "The program's name as the suite spells it; UsageError when there is none.");
    m.def("example", [](const std::string& name) { return py::bytes(std::string(program_named(name).example)); },
          py::arg("program"), "The bytes of the program's bundled example data file.");
    m.def("data_file_name", [](const std::string& name) { return std::string(program_named(name).data_file); },
          py::arg("program"), "The name of the program's own data file: BILM.DAT.");
    bind_data_file(m);
    bind_cases(m);
    bind_design(m);
    bind_studies(m);
}
