// The values an input field can hold, in order: the lattice that solve and
// optimize walk.
//
// A field holds a finite ordered set of values: those that its report's edit
// writes and its reading rule reads back (hold()).  An E field with n
// significant digits holds the decimals 0.D x 10^X of n digits (a step of
// 10^(X-n) in each decade), an F field with d decimals the multiples of
// 10^-d (of at most seven significant digits: from 10^(7-d) on, the
// decimals of seven digits), an integer field the integers.  Each held value has a rank, an integer that
// grows with the value by one from a held value to the next; ranks tell how
// many held values lie in a range, the value halfway between two, and a
// value's neighbours.
//
// Only the normal range of single precision takes part for a real field: the
// held values between 0 and the smallest normal float (about 1.2e-38) in
// magnitude are not in the lattice, so that 0 and +-1.1755e-38 are
// neighbours.
#pragma once

#include <cstdint>

#include "swirl/model/model.h"

namespace swirl {

class Lattice {
public:
    // std::logic_error for a field of another edit (A) or an E edit of more
    // than six significant digits, whose decimals single precision cannot
    // tell apart.
    explicit Lattice(const Field& field);

    const Field& field() const { return *field_; }

    // The rank of a held value (one that hold() gives back unchanged).
    std::int64_t rank(const Value& held) const;

    // The held value of a rank; the rank must lie between those of two held
    // values the field can hold.
    Value at(std::int64_t rank) const;

    // The values held from rank `lo` to rank `hi`, both included.
    static std::int64_t count(std::int64_t lo, std::int64_t hi) { return hi < lo ? 0 : hi - lo + 1; }

private:
    enum class Kind { Integer, Decimal, Fixed };
    std::int64_t rank_of_magnitude(float v) const;
    float magnitude_at(std::int64_t rank) const;

    const Field* field_;
    Kind kind_ = Kind::Integer;
    int digits_ = 0;              // Decimal: significant digits; Fixed: decimals
    std::int64_t per_decade_ = 0; // values of a decade: 9 x 10^(digits-1) (Fixed: of 7 digits)
    std::int64_t first_ = 0;      // Decimal: the index of the smallest normal decimal
};

}  // namespace swirl
