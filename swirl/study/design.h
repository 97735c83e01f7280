// The designs of a sample: N points of the unit cube (0,1)^d, each computed
// from its index alone, so that any shard or thread computes exactly its own
// points, and the same seed gives the same points on every machine.
//
// Numbers.  A uniform number is made from 64 bits of the SplitMix64
// finaliser applied to (seed, stream, index, dimension) in turn: u =
// (top 52 bits + 0.5) / 2^52, from 2^-53 to 1 - 2^-53, strictly inside
// (0, 1).  No std:: engine or distribution is involved, whose outputs differ
// between libraries.
//
// Designs:
//   random   every coordinate an independent uniform number.
//   lhs      Latin hypercube: each of the N equal strata [s/N, (s+1)/N) of
//            every dimension holds exactly one point.  Dimension j puts
//            point i in stratum π_j(i), π_j a permutation of 0..N-1 drawn
//            from the seed (Fisher–Yates), at a uniform place within it.
//            The permutations are made once for the whole sample (4 bytes a
//            point and dimension), also by a shard.
//   sobol    the Sobol sequence of Boost.Random (direction numbers of Joe
//            and Kuo, "new-joe-kuo-6.21201"), point i its i-th point counted
//            from the origin, with a random digital shift: every coordinate's
//            64 bits are XORed with 64 bits drawn from the seed for its
//            dimension.  The shift keeps the sequence's net properties (the
//            first 2^m points put one point into each of the 2^m equal
//            intervals of every dimension) and moves the origin off the
//            corner, where a normal input would be infinite; --seed changes
//            the shift.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace swirl {

enum class Design { random, lhs, sobol };

// "random", "lhs", "sobol" (any case); UsageError otherwise.
Design parse_design(std::string_view text);
std::string_view design_name(Design design);

// The 64 bits of (seed, stream, index, dimension), and a uniform number of
// (0, 1) from them.
std::uint64_t counter_bits(std::uint64_t seed, std::uint64_t stream, std::uint64_t index, std::uint64_t dimension);
double unit_number(std::uint64_t bits);
// A whole number of [0, n) from 64 bits (the high half of bits·n).
std::uint64_t below(std::uint64_t bits, std::uint64_t n);

class UnitDesign {
public:
    // UsageError: count < 1, more than 2^32 - 1 points of a Latin
    // hypercube, more dimensions than the Sobol table has.
    UnitDesign(Design design, std::size_t dimensions, std::int64_t count, std::uint64_t seed);

    Design design() const { return design_; }
    std::size_t dimensions() const { return dimensions_; }
    std::int64_t count() const { return count_; }
    std::uint64_t seed() const { return seed_; }

    // Computes points for one thread, fastest in increasing order.
    class Cursor {
    public:
        explicit Cursor(const UnitDesign& design);
        ~Cursor();
        Cursor(Cursor&&) noexcept;
        // Point `index` (0 <= index < count) into `u` (dimensions()).
        void point(std::int64_t index, std::span<double> u);

    private:
        struct Sobol;
        const UnitDesign* d_;
        std::unique_ptr<Sobol> sobol_;
    };

    // A point alone (a cursor of its own).
    std::vector<double> point(std::int64_t index) const;

private:
    Design design_;
    std::size_t dimensions_;
    std::int64_t count_;
    std::uint64_t seed_;
    std::vector<std::uint32_t> strata_;  // lhs: π_j(i) at [j * count + i]
    std::vector<std::uint64_t> shift_;   // sobol: per dimension
};

}  // namespace swirl
