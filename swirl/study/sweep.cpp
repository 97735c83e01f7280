#include "swirl/study/sweep.h"

#include <algorithm>
#include <charconv>

#include "fixrec/ascii.h"
#include "fixrec/cp866.h"
#include "swirl/core/csv.h"
#include "swirl/core/numbers.h"
#include "swirl/core/ordered_run.h"

namespace swirl {

namespace {

bool is_integer(const Field& f) { return f.type == calculators::ValueType::Integer; }

// A grid value as text for messages: the double as typed or computed.
std::string value_text(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return {buf, r.ptr};
}

// Whether the program has a result of that name (any case).
bool is_result_name(const Calculator& calc, std::string_view name) {
    for (const Field& f : calc.results)
        if (fixrec::equal_ignoring_case(f.name, name)) return true;
    return false;
}

// A grid's value i as its field holds it; UsageError naming the grid and the
// value otherwise.
Held hold_grid_value(const Field& field, const Grid& grid, std::int64_t i) {
    const double v = grid.value(i);
    try {
        return hold(field, v);
    } catch (const UsageError& e) {
        throw UsageError("grid " + grid.name + ": value " + value_text(v) + " (number " + std::to_string(i + 1) +
                         " of " + std::to_string(grid.count) + "): " + e.what());
    }
}

}  // namespace

void append_value_text(std::string& out, const Field& field, const Value& value) {
    char buf[kShortestSize];
    char* end = is_integer(field) ? std::to_chars(buf, buf + sizeof buf, value.integer).ptr
                                  : write_shortest(buf, value.real);
    out.append(buf, end);
}

Sweep::Sweep(const Calculator& calc, std::span<const Value> base, std::span<const Grid> grids, Shard shard)
    : calc_(&calc), base_(base.begin(), base.end()), grids_(grids.begin(), grids.end()) {
    base_.resize(calc.inputs.size());
    grid_of_input_.assign(calc.inputs.size(), -1);
    total_ = case_count(grids_);  // refuses an empty product
    for (std::size_t k = 0; k < grids_.size(); ++k) {
        const Grid& g = grids_[k];
        std::size_t input = 0;
        try {
            input = input_index(calc, g.name);
        } catch (const UsageError&) {
            if (!is_result_name(calc, g.name)) throw;
            throw UsageError(g.name + " is a result of " + std::string(calc.name) + ", not an input (its inputs: " +
                             input_names(calc) + ")");
        }
        if (grid_of_input_[input] >= 0)
            throw UsageError(std::string(calc.inputs[input].name) + " is varied twice");
        grid_of_input_[input] = static_cast<int>(k);

        Varied v{g, input, {}, {}, {}};
        const Field& field = calc.inputs[input];
        const bool tabulate = g.count <= kTabulatedValues;
        if (tabulate) {
            v.held.reserve(static_cast<std::size_t>(g.count));
            v.ends.reserve(static_cast<std::size_t>(g.count));
        }
        // Every value is checked now, whatever the shard, so that every
        // shard of a sweep refuses the same command line.
        if (tabulate) {
            for (std::int64_t i = 0; i < g.count; ++i) {
                const Held h = hold_grid_value(field, g, i);
                v.held.push_back(h.value);
                append_value_text(v.text, field, h.value);
                v.ends.push_back(static_cast<std::uint32_t>(v.text.size()));
            }
        } else if (is_integer(field)) {
            for (std::int64_t i = 0; i < g.count; ++i) hold_grid_value(field, g, i);
        } else {
            // A real field refuses a value beyond single precision or too
            // wide for its columns, and a value of larger magnitude and the
            // same sign is refused too: the values of a grid lie between its
            // bounds, so the bounds tell for all of them.
            hold_grid_value(field, g, 0);
            hold_grid_value(field, g, g.count - 1);
        }
        varied_.push_back(std::move(v));
    }
    range_ = shard_range(total_, shard);
    base_text_.resize(base_.size());
    for (std::size_t i = 0; i < base_.size(); ++i) append_value_text(base_text_[i], calc.inputs[i], base_[i]);
}

void Sweep::append_header(std::string& out) const {
    bool first = true;
    const auto column = [&](std::string_view name) {
        append_csv_field(out, name, first);
        first = false;
    };
    for (const Field& f : calc_->inputs) column(f.name);
    for (const Field& f : calc_->results) column(f.name);
    column("status");
    column("reason");
    column("messages");
    for (const calculators::VerdictField& v : calc_->verdicts) column(v.name);
    end_csv_row(out);
}

Value Sweep::held_value(const Varied& v, std::int64_t i) const {
    if (!v.held.empty()) return v.held[static_cast<std::size_t>(i)];
    return hold(calc_->inputs[v.input], v.grid.value(i)).value;
}

std::vector<Value> Sweep::inputs_of(std::int64_t index) const {
    std::vector<Value> inputs = base_;
    std::vector<std::int64_t> at(grids_.size());
    case_indices(grids_, index, at);
    for (std::size_t k = 0; k < varied_.size(); ++k) inputs[varied_[k].input] = held_value(varied_[k], at[k]);
    return inputs;
}

// What one thread keeps from case to case: nothing here is allocated again
// once the first rows have grown it.
struct Sweep::Worker {
    std::vector<Value> inputs;
    std::vector<std::int64_t> at;      // the index into each grid of the current case
    std::vector<std::int64_t> last;    // the index each untabulated grid holds now
    std::vector<std::string> last_text;
    calculators::Outcome outcome;
    std::string text;                  // a text field before quoting

    explicit Worker(const Sweep& s)
        : inputs(s.base_), at(s.grids_.size()), last(s.grids_.size(), -1), last_text(s.grids_.size()) {}
};

void Sweep::append_row(Worker& w, std::int64_t index, std::string& out) const {
    case_indices(grids_, index, w.at);
    for (std::size_t k = 0; k < varied_.size(); ++k) {
        const Varied& v = varied_[k];
        if (!v.held.empty()) {
            w.inputs[v.input] = v.held[static_cast<std::size_t>(w.at[k])];
        } else if (w.last[k] != w.at[k]) {
            // A long grid: held as its cases come, once while it stays put.
            w.inputs[v.input] = hold(calc_->inputs[v.input], v.grid.value(w.at[k])).value;
            w.last[k] = w.at[k];
            w.last_text[k].clear();
            append_value_text(w.last_text[k], calc_->inputs[v.input], w.inputs[v.input]);
        }
    }
    calc_->compute(w.inputs, false, w.outcome);
    const calculators::Outcome& o = w.outcome;

    for (std::size_t i = 0; i < base_.size(); ++i) {
        if (i > 0) out += ',';
        const int k = grid_of_input_[i];
        if (k < 0) {
            out += base_text_[i];
        } else {
            const Varied& v = varied_[static_cast<std::size_t>(k)];
            if (v.held.empty()) {
                out += w.last_text[static_cast<std::size_t>(k)];
            } else {
                const auto at = static_cast<std::size_t>(w.at[static_cast<std::size_t>(k)]);
                const std::uint32_t begin = at == 0 ? 0 : v.ends[at - 1];
                out.append(v.text, begin, v.ends[at] - begin);
            }
        }
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

std::vector<std::pair<std::string, std::string>> Sweep::identity() const {
    std::vector<std::pair<std::string, std::string>> id;
    id.emplace_back("program", calc_->name);
    for (std::size_t i = 0; i < base_.size(); ++i)
        id.emplace_back("input " + std::string(calc_->inputs[i].name), base_text_[i]);
    for (std::size_t k = 0; k < varied_.size(); ++k) {
        const Grid& g = varied_[k].grid;
        id.emplace_back("vary " + std::to_string(k + 1), std::string(calc_->inputs[varied_[k].input].name) + "=" +
                                                             value_text(g.from) + ":" + value_text(g.to) + ":" +
                                                             std::to_string(g.count) + (g.log ? ":log" : ""));
    }
    return id;
}

namespace {

// Thrown between cases once the sweep is cancelled; run() ends with it.
struct Cancelled {};

}  // namespace

std::int64_t Sweep::run(unsigned jobs, const Emit& emit, const Progress& progress,
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
