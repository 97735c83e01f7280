// The engine under the tables of swirl's studies: cases numbered from 0, each
// the program computed with some of its inputs set by a case source (the
// product of grids of a sweep, the rows of a case list, the points of a
// sample) and every other input as the data file holds it, written as CSV
// rows in case order on several threads (sweep.h describes the table).
//
// A source sets its inputs case by case through a cursor, one per thread,
// that keeps what it can from one case to the next (a grid that stays put,
// the position in a Sobol sequence); every value it sets is already held as
// its field holds it.  A table may begin with a column `case`, the index of
// the case in the whole study, so that the rows of a sample tell where they
// belong whatever shard wrote them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swirl/core/grid.h"
#include "swirl/model/model.h"

namespace swirl {

class CaseSource {
public:
    virtual ~CaseSource() = default;

    // The cases of the whole study.
    virtual std::int64_t total() const = 0;
    // The inputs the source sets (indices into Calculator::inputs), each once.
    virtual std::span<const std::size_t> varied() const = 0;

    class Cursor {
    public:
        virtual ~Cursor() = default;
        // Sets the varied inputs of case `index` (0 <= index < total()) in
        // `inputs` (one per input of the program).  A cursor is given the
        // same `inputs` from case to case, so a value that stays put need
        // not be set again.
        virtual void seek(std::int64_t index, std::span<Value> inputs) = 0;
        // Appends the CSV text of the k-th varied input of the case sought
        // last (append_value_text of the value it set).
        virtual void append_text(std::size_t k, std::string& out) = 0;
    };
    // A cursor for one thread; the source outlives it.
    virtual std::unique_ptr<Cursor> cursor() const = 0;
};

// The cases of a source, a shard of them, as the rows of a table.
class CaseTable {
public:
    // `base` holds every input as the data file holds it.  `case_column`:
    // the table begins with the column `case`.
    CaseTable(const Calculator& calc, std::span<const Value> base, std::shared_ptr<const CaseSource> source,
              Shard shard = {}, bool case_column = false);

    const Calculator& program() const { return *calc_; }
    std::int64_t total() const { return source_->total(); }
    CaseRange cases() const { return range_; }
    std::span<const Value> base() const { return base_; }
    // The CSV text of each input as the data file holds it.
    const std::vector<std::string>& base_texts() const { return base_text_; }

    void append_header(std::string& out) const;

    // As Sweep::run (sweep.h).
    using Emit = std::function<void(std::string_view rows)>;
    using Progress = std::function<void(std::int64_t done)>;
    std::int64_t run(unsigned jobs, const Emit& emit, const Progress& progress = {},
                     const std::atomic<bool>* cancel = nullptr) const;

    // The inputs of case `index` as the program gets them.
    std::vector<Value> inputs_of(std::int64_t index) const;

private:
    struct Worker;
    void append_row(Worker& w, std::int64_t index, std::string& out) const;

    const Calculator* calc_;
    std::vector<Value> base_;
    std::vector<std::string> base_text_;
    std::shared_ptr<const CaseSource> source_;
    std::vector<int> varied_of_input_;  // the source's index of each input it sets, -1 for none
    CaseRange range_;
    bool case_column_ = false;
};

// A value as its field holds it, as hold(field, typed).value, for values by
// the million: the places of the field are found once and the texts reuse
// their buffers.  The same usage errors as hold().  One per thread.
class FieldHolder {
public:
    explicit FieldHolder(const Field& field);
    Value operator()(double typed);
    const Field& field() const { return *field_; }

private:
    const Field* field_;
    FieldPlace place_;
    std::string report_, read_;
};

// The CSV text of a value of `field`: the integer, or shortest() of the real.
// Appends to `out` without allocating beyond its growth.
void append_value_text(std::string& out, const Field& field, const Value& value);

// A value of a field as a double (the integer, or the float).
inline double value_number(const Field& field, const Value& value) {
    return field.type == calculators::ValueType::Integer ? value.integer : static_cast<double>(value.real);
}

}  // namespace swirl
