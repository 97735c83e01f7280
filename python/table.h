// A table of cases of one program, the columns of swirl sweep's CSV as
// numpy arrays: every input (float32 for a real, int32 for an integer), every
// result (float32, NaN where the case is invalid or its path does not compute
// it; an integer result float64), then status, reason, messages and the
// verdicts (lists of str: the CSV's texts in UTF-8, "" when none).  The
// cases are computed with the GIL released on several threads
// (swirl/core/ordered_run), each case's values written straight into the
// arrays.  Every study of the module that gives one row a case fills one:
//
//   Table table(calc, n);
//   table.run(jobs, base, [&](Worker& w, std::int64_t i) { w.inputs = inputs_of_case(i); });
//   return table.columns();
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bindings.h"
#include "fixrec/cp866.h"
#include "swirl/core/ordered_run.h"

namespace swirl::python {

using calculators::ValueType;

struct Worker {
    std::vector<Value> inputs;
    calculators::Outcome outcome;
    std::string text;
    // evaluate: per column, the bits of the value of the case before, and
    // the values held by their bits.
    std::vector<std::uint64_t> last;
    std::vector<std::unordered_map<std::uint64_t, Value>> kept;
};

// Sets w.inputs to the inputs of case i.
using Fill = std::function<void(Worker& w, std::int64_t i)>;

class Table {
public:
    Table(const Calculator& calc, std::int64_t n) : calc_(calc), n_(n) {
        const auto size = static_cast<py::ssize_t>(n);
        for (const Field& f : calc.inputs) {
            if (f.type == ValueType::Integer)
                inputs_.push_back(py::array_t<std::int32_t>(size));
            else
                inputs_.push_back(py::array_t<float>(size));
            input_data_.push_back(inputs_.back().mutable_data());
        }
        for (const Field& f : calc.results) {
            // A count has no NaN: an integer result is a float64 column.
            if (f.type == ValueType::Integer)
                results_.push_back(py::array_t<double>(size));
            else
                results_.push_back(py::array_t<float>(size));
            result_data_.push_back(results_.back().mutable_data());
        }
        status_.resize(static_cast<std::size_t>(n));
        reason_.resize(static_cast<std::size_t>(n));
        messages_.resize(static_cast<std::size_t>(n));
        verdicts_.assign(calc.verdicts.size(), std::vector<std::string>(static_cast<std::size_t>(n)));
    }

    // Computes every case, `jobs` threads (0: one per core), the GIL released.
    void run(unsigned jobs, const std::vector<Value>& base, const Fill& fill) {
        py::gil_scoped_release released;
        run_ordered(
            n_, jobs,
            [&] {
                Worker w;
                w.inputs = base;
                return w;
            },
            [&](Worker& w, std::int64_t i, std::string&) {
                fill(w, i);
                calc_.compute(w.inputs, false, w.outcome);
                store(w, i);
            },
            [](std::string_view) {});
    }

    // The columns by name, in the order of swirl sweep's CSV.
    py::dict columns() {
        py::dict d;
        for (std::size_t k = 0; k < calc_.inputs.size(); ++k) d[py::str(std::string(calc_.inputs[k].name))] = inputs_[k];
        for (std::size_t k = 0; k < calc_.results.size(); ++k)
            d[py::str(std::string(calc_.results[k].name))] = results_[k];
        py::str ok("ok"), invalid("invalid");
        py::list status(static_cast<py::ssize_t>(n_));
        for (std::size_t i = 0; i < status_.size(); ++i) {
            PyObject* text = status_[i] ? ok.ptr() : invalid.ptr();
            Py_INCREF(text);
            PyList_SET_ITEM(status.ptr(), static_cast<py::ssize_t>(i), text);
        }
        d["status"] = status;
        d["reason"] = texts(reason_);
        d["messages"] = texts(messages_);
        for (std::size_t v = 0; v < calc_.verdicts.size(); ++v)
            d[py::str(std::string(calc_.verdicts[v].name))] = texts(verdicts_[v]);
        return d;
    }

private:
    void store(Worker& w, std::int64_t i) {
        const auto at = static_cast<std::size_t>(i);
        for (std::size_t k = 0; k < calc_.inputs.size(); ++k) {
            if (calc_.inputs[k].type == ValueType::Integer)
                static_cast<std::int32_t*>(input_data_[k])[at] = w.inputs[k].integer;
            else
                static_cast<float*>(input_data_[k])[at] = w.inputs[k].real;
        }
        const calculators::Outcome& o = w.outcome;
        for (std::size_t r = 0; r < calc_.results.size(); ++r) {
            const bool has = o.valid && r < o.results.size() && r < o.computed.size() && o.computed[r];
            if (calc_.results[r].type == ValueType::Integer)
                static_cast<double*>(result_data_[r])[at] = has ? o.results[r].integer : std::nan("");
            else
                static_cast<float*>(result_data_[r])[at] = has ? o.results[r].real : std::nanf("");
        }
        status_[at] = o.valid ? 1 : 0;
        if (!o.valid) fixrec::append_utf8(reason_[at], o.failure);
        for (std::size_t l = 0; l < o.console.size(); ++l) {
            if (l > 0) messages_[at] += " | ";
            fixrec::append_utf8(messages_[at], o.console[l]);
        }
        if (o.valid)
            for (std::size_t v = 0; v < calc_.verdicts.size() && v < o.verdicts.size(); ++v)
                fixrec::append_utf8(verdicts_[v][at], o.verdicts[v]);
    }

    // One str per distinct text: the cases of a study share a few, most
    // often the one of the case before.
    static py::list texts(std::vector<std::string>& column) {
        constexpr std::size_t kSeen = 256;
        py::list out(static_cast<py::ssize_t>(column.size()));
        std::unordered_map<std::string, py::str> seen;
        const std::string* last = nullptr;
        PyObject* last_text = nullptr;
        for (std::size_t i = 0; i < column.size(); ++i) {
            if (last == nullptr || column[i] != *last) {
                auto it = seen.find(column[i]);
                if (it == seen.end() && seen.size() >= kSeen) {
                    // Texts of their own (a console line with the case's
                    // numbers): each its str.
                    last = nullptr;
                    PyObject* text = PyUnicode_DecodeUTF8(column[i].data(), static_cast<py::ssize_t>(column[i].size()),
                                                          nullptr);
                    if (text == nullptr) throw py::error_already_set();
                    PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i), text);
                    continue;
                }
                if (it == seen.end()) it = seen.emplace(column[i], py::str(column[i])).first;
                last = &it->first;
                last_text = it->second.ptr();
            }
            Py_INCREF(last_text);
            PyList_SET_ITEM(out.ptr(), static_cast<py::ssize_t>(i), last_text);
        }
        std::vector<std::string>().swap(column);
        return out;
    }

    const Calculator& calc_;
    std::int64_t n_;
    std::vector<py::array> inputs_, results_;
    std::vector<void*> input_data_, result_data_;
    std::vector<std::uint8_t> status_;
    std::vector<std::string> reason_, messages_;
    std::vector<std::vector<std::string>> verdicts_;
};

}  // namespace swirl::python
