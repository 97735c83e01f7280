#include "swirl/study/sweep.h"

#include <algorithm>
#include <charconv>

#include "fixrec/ascii.h"
#include "swirl/core/sha256.h"

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

// The cases of a product of grids, the last one changing fastest.
class GridSource final : public CaseSource {
public:
    GridSource(const Calculator& calc, std::span<const Grid> grids) : calc_(&calc), grids_(grids.begin(), grids.end()) {
        total_ = case_count(grids_);  // refuses an empty product
        std::vector<bool> varied(calc.inputs.size(), false);
        for (const Grid& g : grids_) {
            std::size_t input = 0;
            try {
                input = input_index(calc, g.name);
            } catch (const UsageError&) {
                if (!is_result_name(calc, g.name)) throw;
                throw UsageError(g.name + " is a result of " + std::string(calc.name) +
                                 ", not an input (its inputs: " + input_names(calc) + ")");
            }
            if (varied[input]) throw UsageError(std::string(calc.inputs[input].name) + " is varied twice");
            varied[input] = true;
            inputs_.push_back(input);

            Varied v{g, input, {}, {}, {}};
            const Field& field = calc.inputs[input];
            const bool tabulate = g.count <= Sweep::kTabulatedValues;
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
    }

    std::int64_t total() const override { return total_; }
    std::span<const std::size_t> varied() const override { return inputs_; }

    class GridCursor final : public Cursor {
    public:
        explicit GridCursor(const GridSource& s)
            : s_(s), at_(s.grids_.size()), last_(s.grids_.size(), -1), last_text_(s.grids_.size()) {}

        void seek(std::int64_t index, std::span<Value> inputs) override {
            case_indices(s_.grids_, index, at_);
            for (std::size_t k = 0; k < s_.varied_.size(); ++k) {
                const Varied& v = s_.varied_[k];
                if (!v.held.empty()) {
                    inputs[v.input] = v.held[static_cast<std::size_t>(at_[k])];
                } else if (last_[k] != at_[k]) {
                    // A long grid: held as its cases come, once while it stays put.
                    const Field& field = s_.calc_->inputs[v.input];
                    inputs[v.input] = hold(field, v.grid.value(at_[k])).value;
                    last_[k] = at_[k];
                    last_text_[k].clear();
                    append_value_text(last_text_[k], field, inputs[v.input]);
                }
            }
        }

        void append_text(std::size_t k, std::string& out) override {
            const Varied& v = s_.varied_[k];
            if (v.held.empty()) {
                out += last_text_[k];
            } else {
                const auto at = static_cast<std::size_t>(at_[k]);
                const std::uint32_t begin = at == 0 ? 0 : v.ends[at - 1];
                out.append(v.text, begin, v.ends[at] - begin);
            }
        }

    private:
        const GridSource& s_;
        std::vector<std::int64_t> at_;    // the index into each grid of the current case
        std::vector<std::int64_t> last_;  // the index each untabulated grid holds now
        std::vector<std::string> last_text_;
    };

    std::unique_ptr<Cursor> cursor() const override { return std::make_unique<GridCursor>(*this); }

private:
    // A grid over one input, with its values as the field holds them and
    // their CSV texts (empty when the grid is too long to tabulate).
    struct Varied {
        Grid grid;
        std::size_t input = 0;
        std::vector<Value> held;
        std::string text;                 // the texts one after another
        std::vector<std::uint32_t> ends;  // where each ends in `text`
    };

    const Calculator* calc_;
    std::vector<Grid> grids_;
    std::vector<Varied> varied_;  // one per grid, in grid order
    std::vector<std::size_t> inputs_;
    std::int64_t total_ = 0;
};

// The rows of a case list, in its order.
class ListSource final : public CaseSource {
public:
    explicit ListSource(CaseList cases) : cases_(std::move(cases)) {}

    std::int64_t total() const override { return static_cast<std::int64_t>(cases_.rows.size()); }
    std::span<const std::size_t> varied() const override { return cases_.inputs; }

    class ListCursor final : public Cursor {
    public:
        explicit ListCursor(const CaseList& c) : c_(c) {}
        void seek(std::int64_t index, std::span<Value> inputs) override {
            row_ = &c_.rows[static_cast<std::size_t>(index)];
            for (std::size_t k = 0; k < c_.inputs.size(); ++k) inputs[c_.inputs[k]] = row_->values[k];
        }
        void append_text(std::size_t k, std::string& out) override { out += row_->texts[k]; }

    private:
        const CaseList& c_;
        const CaseList::Row* row_ = nullptr;
    };

    std::unique_ptr<Cursor> cursor() const override { return std::make_unique<ListCursor>(cases_); }

private:
    CaseList cases_;
};

}  // namespace

Sweep::Sweep(const Calculator& calc, std::span<const Value> base, std::span<const Grid> grids, Shard shard)
    : grids_(grids.begin(), grids.end()), table_(calc, base, std::make_shared<GridSource>(calc, grids), shard) {}

namespace {

// A case list as the identity of its sweep: its columns, and its rows by
// count and digest.
std::vector<std::pair<std::string, std::string>> list_identity(const Calculator& calc, const CaseList& cases) {
    std::string columns;
    for (const std::size_t input : cases.inputs) {
        if (!columns.empty()) columns += ',';
        columns += calc.inputs[input].name;
    }
    Sha256 digest;
    for (const CaseList::Row& row : cases.rows)
        for (const std::string& text : row.texts) {
            digest.add(text);
            digest.add(",");
        }
    return {{"cases", columns}, {"case rows", std::to_string(cases.rows.size()) + " " + digest.hex()}};
}

// A grid bound as the shortest decimal of its double.
std::string bound_text(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return {buf, r.ptr};
}

}  // namespace

Sweep::Sweep(const Calculator& calc, std::span<const Value> base, CaseList cases, Shard shard)
    : list_identity_(list_identity(calc, cases)),
      table_(calc, base, std::make_shared<ListSource>(std::move(cases)), shard) {}

std::vector<std::pair<std::string, std::string>> Sweep::identity() const {
    const Calculator& calc = table_.program();
    std::vector<std::pair<std::string, std::string>> id;
    id.emplace_back("program", calc.name);
    for (std::size_t i = 0; i < calc.inputs.size(); ++i)
        id.emplace_back("input " + std::string(calc.inputs[i].name), table_.base_texts()[i]);
    for (std::size_t k = 0; k < grids_.size(); ++k) {
        const Grid& g = grids_[k];
        id.emplace_back("vary " + std::to_string(k + 1), std::string(calc.inputs[input_index(calc, g.name)].name) + "=" +
                                                             bound_text(g.from) + ":" + bound_text(g.to) + ":" +
                                                             std::to_string(g.count) + (g.log ? ":log" : ""));
    }
    id.insert(id.end(), list_identity_.begin(), list_identity_.end());
    return id;
}

}  // namespace swirl
