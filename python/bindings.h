// What the parts of the extension _swirl share: the Python objects of the
// values (numpy.float32 for a real, int for an integer), the exceptions the
// package defines in Python, and the binding functions of each part.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "swirl/api/data_file.h"

namespace swirl::python {

namespace py = pybind11;

// An input section that does not read: swirl.ReadError with the place.
class ReadFailed : public std::runtime_error {
public:
    ReadFailed(const std::string& message, std::string file_path, ReadError read_error)
        : std::runtime_error(message), path(std::move(file_path)), error(std::move(read_error)) {}
    std::string path;
    ReadError error;
};

// Inputs that make the computation invalid: swirl.InvalidInputs.
class InvalidFailed : public std::runtime_error {
public:
    InvalidFailed(const std::string& message, std::string name, std::string line, std::vector<std::string> lines)
        : std::runtime_error(message), program(std::move(name)), reason(std::move(line)),
          messages(std::move(lines)) {}
    std::string program;
    std::string reason;                 // the exit-3 line, UTF-8
    std::vector<std::string> messages;  // the console lines before it, UTF-8
};

// numpy.float32(value): a real keeps its single precision in Python.
py::object real_object(float value);
// The value of a field: numpy.float32 for a real, int for an integer.
py::object value_object(const Field& field, const Value& value);

// The program of that name in any case; UsageError otherwise.
const Calculator& program_named(std::string_view name);

// "not-a-number", "not-a-whole-number", "beyond-single-precision",
// "end-of-file-mark", "end-of-file".
std::string_view reason_name(ReadReason reason);

// The file's inputs, or ReadFailed when its input section does not read.
const std::vector<Value>& inputs_or_raise(const DataFile& file);

void bind_data_file(py::module_& m);
void bind_cases(py::module_& m);
void bind_design(py::module_& m);
void bind_studies(py::module_& m);

}  // namespace swirl::python
