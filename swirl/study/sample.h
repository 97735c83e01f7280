// A sample: N cases whose varied inputs are drawn from distributions
// (distribution.h) over the points of a design (design.h), each value held
// as its field holds it, every other input as the data file holds it.  The
// table is a sweep's (sweep.h) with a first column `case`, the index of the
// case in the whole sample, from 0.
//
//   std::vector<swirl::SampledInput> vary{swirl::parse_sampled_input("Q=normal(0.001,0.00005)")};
//   const swirl::Sample sample(calc, base, vary, 1000, swirl::Design::lhs, 7, swirl::parse_shard("2/4"));
//   std::string text;
//   sample.append_header(text);
//   sample.run(0, [&](std::string_view rows) { text += rows; });
//
// Case i takes point i of the design: dimension k gives the k-th varied
// input (in the order given) the value quantile(u_k) of its distribution,
// held by its field.  Of a Latin hypercube or a Sobol sequence, whose points
// fill the N strata of probability 1/N of each input one each, a value that
// the field's rounding takes out of its stratum is replaced by the value at
// the middle of the stratum, held, when that stays in it (a field too coarse
// for the strata keeps the rounded value): the table's values, not only the
// design's numbers, then fill the strata.  A
// shard computes only its own points, so the rows of shards 1..N are the
// rows of the whole sample, and the same seed gives the same bytes for any
// number of threads and on any machine.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "swirl/study/cases.h"
#include "swirl/study/design.h"
#include "swirl/study/distribution.h"

namespace swirl {

class Sample {
public:
    static constexpr std::uint64_t kDefaultSeed = 1;

    // UsageError: no input to vary, a name that is not an input (in any
    // case), an input varied twice, count < 1 (and the limits of the
    // design), a distribution other than const on an integer input, a value
    // the distribution can give that its field cannot hold (checked at the
    // extremes the design can reach: u = 2^-53 and 1 - 2^-53).
    Sample(const Calculator& calc, std::span<const Value> base, std::span<const SampledInput> vary,
           std::int64_t count, Design design = Design::random, std::uint64_t seed = kDefaultSeed, Shard shard = {});

    const Calculator& program() const { return table_.program(); }
    std::int64_t total() const { return table_.total(); }
    CaseRange cases() const { return table_.cases(); }
    const std::vector<SampledInput>& varied() const { return vary_; }
    Design design() const { return design_; }
    std::uint64_t seed() const { return seed_; }

    void append_header(std::string& out) const { table_.append_header(out); }
    // As Sweep::run.
    std::int64_t run(unsigned jobs, const CaseTable::Emit& emit, const CaseTable::Progress& progress = {},
                     const std::atomic<bool>* cancel = nullptr) const {
        return table_.run(jobs, emit, progress, cancel);
    }
    std::vector<Value> inputs_of(std::int64_t index) const { return table_.inputs_of(index); }
    const CaseTable& table() const { return table_; }

    // What makes the sample what it is, to tell whether tables (shards) are
    // of the same sample: ("program", "BILM"), ("input Q", the text of Q as
    // the data file holds it) for each input in order, ("vary Q",
    // "normal(0.001,5e-05)") for each varied input in order (normalised
    // distribution texts, the input's name as the program spells it),
    // ("design", "lhs"), ("seed", "7"), ("count", "1000").
    std::vector<std::pair<std::string, std::string>> identity() const;

private:
    std::vector<SampledInput> vary_;
    Design design_;
    std::uint64_t seed_;
    CaseTable table_;
};

}  // namespace swirl
