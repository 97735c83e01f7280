#include "swirl/study/design.h"

#include <boost/random/sobol.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "fixrec/ascii.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"

namespace swirl {

namespace {

// The streams of numbers drawn from one seed.
enum Stream : std::uint64_t { kCoordinates = 1, kStrata = 2, kWithinStratum = 3, kShift = 4 };

std::uint64_t splitmix(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

constexpr double kTwoTo52 = 4503599627370496.0;

}  // namespace

std::uint64_t counter_bits(std::uint64_t seed, std::uint64_t stream, std::uint64_t index, std::uint64_t dimension) {
    return splitmix(splitmix(splitmix(splitmix(seed) ^ stream) ^ index) ^ dimension);
}

// 52 bits and a half: every such number, and so the largest, 1 - 2^-53, is
// a double, and none rounds to 0 or 1.
double unit_number(std::uint64_t bits) { return (static_cast<double>(bits >> 12) + 0.5) / kTwoTo52; }

std::uint64_t below(std::uint64_t bits, std::uint64_t n) {
    __extension__ typedef unsigned __int128 Wide;
    return static_cast<std::uint64_t>((static_cast<Wide>(bits) * n) >> 64);
}

Design parse_design(std::string_view text) {
    for (const Design d : {Design::random, Design::lhs, Design::sobol})
        if (fixrec::equal_ignoring_case(design_name(d), text)) return d;
    const std::string hint = did_you_mean(text, {"random", "lhs", "sobol"});
    throw UsageError("unknown design " + std::string(text) + " (" + (hint.empty() ? "" : hint + " ") +
                     "one of random, lhs, sobol)");
}

std::string_view design_name(Design design) {
    switch (design) {
        case Design::random: return "random";
        case Design::lhs: return "lhs";
        case Design::sobol: break;
    }
    return "sobol";
}

UnitDesign::UnitDesign(Design design, std::size_t dimensions, std::int64_t count, std::uint64_t seed)
    : design_(design), dimensions_(dimensions), count_(count), seed_(seed) {
    if (count < 1) throw UsageError("--count must be 1 or more");
    if (design == Design::lhs) {
        if (count > std::int64_t{0xFFFFFFFF})
            throw UsageError("a Latin hypercube holds at most 4294967295 points");
        const auto n = static_cast<std::size_t>(count);
        strata_.resize(n * dimensions);
        for (std::size_t j = 0; j < dimensions; ++j) {
            std::uint32_t* p = strata_.data() + j * n;
            for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint32_t>(i);
            for (std::size_t i = n - 1; i > 0; --i)
                std::swap(p[i], p[below(counter_bits(seed, kStrata, i, j), i + 1)]);
        }
    } else if (design == Design::sobol) {
        if (dimensions > boost::random::default_sobol_table::max_dimension)
            throw UsageError("a Sobol sequence has at most " + std::to_string(boost::random::default_sobol_table::max_dimension) +
                             " dimensions");
        for (std::size_t j = 0; j < dimensions; ++j) shift_.push_back(counter_bits(seed, kShift, 0, j));
    }
}

struct UnitDesign::Cursor::Sobol {
    boost::random::sobol engine;
    std::int64_t next = -1;  // the point the engine gives next
    explicit Sobol(std::size_t d) : engine(d) {}
};

UnitDesign::Cursor::Cursor(const UnitDesign& design) : d_(&design) {
    if (design.design_ == Design::sobol && design.dimensions_ > 0)
        sobol_ = std::make_unique<Sobol>(design.dimensions_);
}
UnitDesign::Cursor::~Cursor() = default;
UnitDesign::Cursor::Cursor(Cursor&&) noexcept = default;

void UnitDesign::Cursor::point(std::int64_t index, std::span<double> u) {
    const UnitDesign& d = *d_;
    const auto i = static_cast<std::uint64_t>(index);
    switch (d.design_) {
        case Design::random:
            for (std::size_t j = 0; j < d.dimensions_; ++j) u[j] = unit_number(counter_bits(d.seed_, kCoordinates, i, j));
            return;
        case Design::lhs: {
            const auto n = static_cast<std::size_t>(d.count_);
            for (std::size_t j = 0; j < d.dimensions_; ++j) {
                const double within = unit_number(counter_bits(d.seed_, kWithinStratum, i, j));
                const double v = (d.strata_[j * n + i] + within) / static_cast<double>(n);
                u[j] = std::min(v, std::nextafter(1.0, 0.0));
            }
            return;
        }
        case Design::sobol: break;
    }
    if (d.dimensions_ == 0) return;
    // Boost's engine starts at the point after the origin: its position p
    // is point p + 1.
    for (std::size_t j = 0; j < d.dimensions_; ++j) {
        std::uint64_t bits = 0;
        if (index > 0) {
            if (sobol_->next != index) {
                sobol_->engine.seed(static_cast<std::uint64_t>(index - 1));
                sobol_->next = index;
            }
            bits = sobol_->engine();
        }
        u[j] = unit_number(bits ^ d.shift_[j]);
    }
    if (index > 0) ++sobol_->next;
}

std::vector<double> UnitDesign::point(std::int64_t index) const {
    std::vector<double> u(dimensions_);
    Cursor(*this).point(index, u);
    return u;
}

}  // namespace swirl
