#include "swirl/study/cases.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "fixrec/cp866.h"
#include "fixrec/edit_input.h"
#include "fixrec/render.h"
#include "swirl/core/csv.h"
#include "swirl/core/numbers.h"
#include "swirl/core/ordered_run.h"

namespace swirl {

void append_value_text(std::string& out, const Field& field, const Value& value) {
    char buf[kShortestSize];
    char* end = field.type == calculators::ValueType::Integer
                    ? std::to_chars(buf, buf + sizeof buf, value.integer).ptr
                    : write_shortest(buf, value.real);
    out.append(buf, end);
}

FieldHolder::FieldHolder(const Field& field) : field_(&field), place_(field_place(field)) {}

Value FieldHolder::operator()(double typed) {
    // An integer's field depends on the value (a wider one for a large
    // count): hold() finds it.
    if (field_->type == calculators::ValueType::Integer) return hold(*field_, typed).value;
    const float f = static_cast<float>(typed);
    if (!std::isfinite(f)) return hold(*field_, typed).value;  // refused there, with its message
    report_.clear();
    fixrec::render_field(place_.report, fixrec::Item(f), report_);
    read_.assign(static_cast<std::size_t>(place_.read_last - place_.read_first + 1), ' ');
    read_.replace(static_cast<std::size_t>(place_.report_first - place_.read_first), report_.size(), report_);
    Value v;
    if (report_.find_first_not_of('*') == std::string::npos ||
        fixrec::read_real(read_, place_.read.d, v.real) != fixrec::InputStatus::Ok)
        return hold(*field_, typed).value;  // refused there, with its message
    return v;
}

CaseTable::CaseTable(const Calculator& calc, std::span<const Value> base, std::shared_ptr<const CaseSource> source,
                     Shard shard, bool case_column)
    : calc_(&calc), base_(base.begin(), base.end()), source_(std::move(source)), case_column_(case_column) {
    base_.resize(calc.inputs.size());
    varied_of_input_.assign(calc.inputs.size(), -1);
    const std::span<const std::size_t> varied = source_->varied();
    for (std::size_t k = 0; k < varied.size(); ++k) varied_of_input_[varied[k]] = static_cast<int>(k);
    range_ = shard_range(source_->total(), shard);
    base_text_.resize(base_.size());
    for (std::size_t i = 0; i < base_.size(); ++i) append_value_text(base_text_[i], calc.inputs[i], base_[i]);
}

void CaseTable::append_header(std::string& out) const {
    bool first = true;
    const auto column = [&](std::string_view name) {
        append_csv_field(out, name, first);
        first = false;
    };
    if (case_column_) column("case");
    for (const Field& f : calc_->inputs) column(f.name);
    for (const Field& f : calc_->results) column(f.name);
    column("status");
    column("reason");
    column("messages");
    for (const calculators::VerdictField& v : calc_->verdicts) column(v.name);
    end_csv_row(out);
}

std::vector<Value> CaseTable::inputs_of(std::int64_t index) const {
    std::vector<Value> inputs = base_;
    source_->cursor()->seek(index, inputs);
    return inputs;
}

// What one thread keeps from case to case: nothing here is allocated again
// once the first rows have grown it.
struct CaseTable::Worker {
    std::vector<Value> inputs;
    std::unique_ptr<CaseSource::Cursor> cursor;
    calculators::Outcome outcome;
    std::string text;  // a text field before quoting

    explicit Worker(const CaseTable& t) : inputs(t.base_), cursor(t.source_->cursor()) {}
};

void CaseTable::append_row(Worker& w, std::int64_t index, std::string& out) const {
    w.cursor->seek(index, w.inputs);
    calc_->compute(w.inputs, false, w.outcome);
    const calculators::Outcome& o = w.outcome;

    if (case_column_) {
        char buf[24];
        out.append(buf, std::to_chars(buf, buf + sizeof buf, index).ptr);
        out += ',';
    }
    for (std::size_t i = 0; i < base_.size(); ++i) {
        if (i > 0) out += ',';
        const int k = varied_of_input_[i];
        if (k < 0)
            out += base_text_[i];
        else
            w.cursor->append_text(static_cast<std::size_t>(k), out);
    }
    for (std::size_t r = 0; r < calc_->results.size(); ++r) {
        out += ',';
        if (o.valid && r < o.results.size() && r < o.computed.size() && o.computed[r])
            append_value_text(out, calc_->results[r], o.results[r]);
    }
    out += o.valid ? ",ok" : ",invalid";
    w.text.clear();
    if (!o.valid) fixrec::append_utf8(w.text, o.failure);
    append_csv_field(out, w.text, false);
    w.text.clear();
    for (std::size_t l = 0; l < o.console.size(); ++l) {
        if (l > 0) w.text += " | ";
        fixrec::append_utf8(w.text, o.console[l]);
    }
    append_csv_field(out, w.text, false);
    for (std::size_t v = 0; v < calc_->verdicts.size(); ++v) {
        w.text.clear();
        if (o.valid && v < o.verdicts.size()) fixrec::append_utf8(w.text, o.verdicts[v]);
        append_csv_field(out, w.text, false);
    }
    out += "\r\n";
}

namespace {

// Thrown between cases once the run is cancelled; run() ends with it.
struct Cancelled {};

}  // namespace

std::int64_t CaseTable::run(unsigned jobs, const Emit& emit, const Progress& progress,
                            const std::atomic<bool>* cancel) const {
    const std::int64_t n = range_.end - range_.begin;
    if (n <= 0) return 0;
    // The block size is fixed here so that the cases done are known from
    // the blocks emitted.
    const std::int64_t block = detail::plan_run(n, jobs, 0).block_size;
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    std::int64_t done = 0;
    try {
        run_ordered(
            n, jobs, [this] { return Worker(*this); },
            [&](Worker& w, std::int64_t i, std::string& out) {
                if (cancelled()) throw Cancelled{};
                append_row(w, range_.begin + i, out);
            },
            [&](std::string_view rows) {
                // A block finished before the cancel is still whole rows in
                // order; none goes out after it.
                if (cancelled()) throw Cancelled{};
                emit(rows);
                done = std::min(n, done + block);
                if (progress) progress(done);
            },
            block);
    } catch (const Cancelled&) {
    }
    return done;
}

}  // namespace swirl
