#include "swirl/study/sample.h"

#include <charconv>
#include <cmath>

#include "fixrec/ascii.h"
#include "swirl/core/numbers.h"

namespace swirl {

namespace {

std::string number_text(double v) {
    char buf[32];
    return {buf, std::to_chars(buf, buf + sizeof buf, v).ptr};
}

class SampleSource final : public CaseSource {
public:
    SampleSource(const Calculator& calc, std::span<const SampledInput> vary, std::int64_t count, Design design,
                 std::uint64_t seed)
        : calc_(&calc),
          vary_(vary.begin(), vary.end()),
          design_(design, vary.size(), count, seed),
          stratified_(design != Design::random) {
        if (vary_.empty()) throw UsageError("nothing to sample: give each input to vary as --vary NAME=DIST(...)");
        std::vector<bool> seen(calc.inputs.size(), false);
        for (const SampledInput& v : vary_) {
            const std::size_t input = input_index(calc, v.name);
            const Field& field = calc.inputs[input];
            if (seen[input]) throw UsageError(std::string(field.name) + " is varied twice");
            seen[input] = true;
            inputs_.push_back(input);
            const std::string what = "--vary " + std::string(field.name) + "=" + v.distribution.text() + ": ";
            if (field.type == calculators::ValueType::Integer &&
                v.distribution.kind != Distribution::Kind::constant)
                throw UsageError(what + std::string(field.name) + " is a whole number: only const(V) sets it");
            // The values lie between those at the extremes of u, which the
            // field must hold (a smaller magnitude of the same sign it holds
            // too, as for a sweep's grid).
            for (const double u : {unit_number(0), unit_number(~std::uint64_t{0})}) {
                const double x = v.distribution.quantile(u);
                try {
                    hold(field, x);
                } catch (const UsageError& e) {
                    throw UsageError(what + "it reaches " + number_text(x) + " (at u = " + number_text(u) +
                                     "): " + e.what() + "; truncate it: DIST(...)[LO,HI]");
                }
            }
        }
    }

    std::int64_t total() const override { return design_.count(); }
    std::span<const std::size_t> varied() const override { return inputs_; }

    class SampleCursor final : public Cursor {
    public:
        explicit SampleCursor(const SampleSource& s) : s_(s), design_(s.design_), u_(s.vary_.size()) {
            for (const std::size_t i : s.inputs_) holders_.emplace_back(s.calc_->inputs[i]);
            held_.resize(s.inputs_.size());
        }
        void seek(std::int64_t index, std::span<Value> inputs) override {
            design_.point(index, u_);
            for (std::size_t k = 0; k < u_.size(); ++k) {
                const Distribution& d = s_.vary_[k].distribution;
                held_[k] = holders_[k](d.quantile(u_[k]));
                if (s_.stratified_ && d.kind != Distribution::Kind::constant) keep_stratum(k, d);
                inputs[s_.inputs_[k]] = held_[k];
            }
        }

        // The field rounds a value to its digits, which may take it into a
        // neighbouring stratum of probability 1/N; then the value at the
        // middle of its own stratum is held instead, when the field tells
        // that one apart.
        void keep_stratum(std::size_t k, const Distribution& d) {
            const double n = static_cast<double>(s_.design_.count());
            const double stratum = std::floor(u_[k] * n);
            // Clearly inside, as the table's decimal: a value on a border
            // (or a rounding away from it) would belong to either stratum.
            // The float tells unless it lies near a border: it differs from
            // the decimal by 2^-24 of itself at most, far less than a 50th
            // of any stratum that a field's digits (7 at most) tell apart.
            const auto in_stratum = [&](const Value& v) {
                const double near = d.cdf(v.real) * n - stratum;
                if (near > 0.02 && near < 0.98) return true;
                if (near < -0.02 || near > 1.02) return false;
                const std::optional<double> x = parse_plain_decimal(shortest(v.real));
                const double at = x ? d.cdf(*x) * n - stratum : -1;
                return at > 1e-6 && at < 1 - 1e-6;
            };
            if (in_stratum(held_[k])) return;
            const Value middle = holders_[k](d.quantile((stratum + 0.5) / n));
            if (in_stratum(middle)) held_[k] = middle;
        }
        void append_text(std::size_t k, std::string& out) override {
            append_value_text(out, holders_[k].field(), held_[k]);
        }

    private:
        const SampleSource& s_;
        UnitDesign::Cursor design_;
        std::vector<double> u_;
        std::vector<FieldHolder> holders_;
        std::vector<Value> held_;
    };

    std::unique_ptr<Cursor> cursor() const override { return std::make_unique<SampleCursor>(*this); }

private:
    const Calculator* calc_;
    std::vector<SampledInput> vary_;
    std::vector<std::size_t> inputs_;
    UnitDesign design_;
    bool stratified_;  // every stratum of probability 1/N holds one point (or, of a Sobol sequence, of 2^m points)
};

}  // namespace

Sample::Sample(const Calculator& calc, std::span<const Value> base, std::span<const SampledInput> vary,
               std::int64_t count, Design design, std::uint64_t seed, Shard shard)
    : vary_(vary.begin(), vary.end()),
      design_(design),
      seed_(seed),
      table_(calc, base, std::make_shared<SampleSource>(calc, vary, count, design, seed), shard, true) {
    for (SampledInput& v : vary_) v.name = std::string(calc.inputs[input_index(calc, v.name)].name);
}

std::vector<std::pair<std::string, std::string>> Sample::identity() const {
    std::vector<std::pair<std::string, std::string>> id;
    const Calculator& calc = program();
    id.emplace_back("program", std::string(calc.name));
    for (std::size_t i = 0; i < calc.inputs.size(); ++i)
        id.emplace_back("input " + std::string(calc.inputs[i].name), table_.base_texts()[i]);
    for (const SampledInput& v : vary_) id.emplace_back("vary " + v.name, v.distribution.text());
    id.emplace_back("design", std::string(design_name(design_)));
    id.emplace_back("seed", std::to_string(seed_));
    id.emplace_back("count", std::to_string(total()));
    return id;
}

}  // namespace swirl
