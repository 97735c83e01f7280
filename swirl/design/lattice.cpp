#include "swirl/design/lattice.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace swirl {

namespace {

std::int64_t power_of_ten(int n) {
    std::int64_t p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// The double nearest to m x 10^e, as a reader of the decimal text gets it.
double decimal(std::int64_t m, int e) {
    std::string text = std::to_string(m) + "e" + std::to_string(e);
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// A decade of 0.D x 10^X is X + kExponentBias from the smallest one a float
// reaches, so that every index is positive.
constexpr int kExponentBias = 50;

// The significant digits an F edit keeps at most.
constexpr int kFixedDigits = 7;

}  // namespace

Lattice::Lattice(const Field& field) : field_(&field) {
    if (field.type == calculators::ValueType::Integer) {
        kind_ = Kind::Integer;
        return;
    }
    const fixrec::Descriptor d = field_place(field).report;
    if (d.kind == fixrec::DescKind::E) {
        kind_ = Kind::Decimal;
        digits_ = std::min(d.d, 7);
        if (digits_ < 1 || digits_ > 6)
            throw std::logic_error("no lattice for " + std::string(field.name) + ": E edit of " +
                                   std::to_string(digits_) + " digits");
        per_decade_ = 9 * power_of_ten(digits_ - 1);
        // The smallest decimal of the normal range: 0.m x 10^-37 from m =
        // ceil(FLT_MIN x 10^(37+n)) on, checked on the float it reads as.
        const std::int64_t lead = power_of_ten(digits_ - 1);
        auto m = static_cast<std::int64_t>(std::ceil(static_cast<double>(FLT_MIN) * std::pow(10.0, 37 + digits_)));
        while (m > lead && static_cast<float>(decimal(m - 1, -37 - digits_)) >= FLT_MIN) --m;
        while (static_cast<float>(decimal(m, -37 - digits_)) < FLT_MIN) ++m;
        first_ = (-37 + kExponentBias) * per_decade_ + (m - lead);
    } else if (d.kind == fixrec::DescKind::F) {
        // The multiples of 10^-d up to 10^(7-d); above, the edit keeps seven
        // significant digits, and the decimals of seven digits follow.
        kind_ = Kind::Fixed;
        digits_ = d.d;
        per_decade_ = 9 * power_of_ten(kFixedDigits - 1);
    } else {
        throw std::logic_error("no lattice for " + std::string(field.name));
    }
}

std::int64_t Lattice::rank_of_magnitude(float v) const {
    if (v == 0.0f) return 0;
    // The decimal the field holds: its printed digits (and exponent).
    calculators::Value value;
    value.real = v;
    const std::string text = printed(*field_, value);  // ".12345E-02", "1234.5680"
    std::int64_t m = 0;
    int digits = 0;
    std::size_t k = 0;
    while (k < text.size() && text[k] != 'E' && text[k] != '+' && (text[k] != '-' || k == 0)) {
        if (text[k] >= '0' && text[k] <= '9') {
            m = m * 10 + (text[k] - '0');
            if (m > 0) ++digits;
        }
        ++k;
    }
    if (kind_ == Kind::Fixed) {
        // m x 10^-d; from 10^7 on, seven significant digits and zeros.
        const std::int64_t top = power_of_ten(kFixedDigits);
        if (m < top) return m;
        const int x = digits - digits_;  // v = 0.m x 10^x
        const std::int64_t lead = m / power_of_ten(digits - kFixedDigits);
        return top + (x - (kFixedDigits - digits_) - 1) * per_decade_ + (lead - power_of_ten(kFixedDigits - 1));
    }
    if (k < text.size() && text[k] == 'E') ++k;
    int x = 0;
    std::from_chars(text.data() + k + (text[k] == '+' ? 1 : 0), text.data() + text.size(), x);
    const std::int64_t index = (x + kExponentBias) * per_decade_ + (m - power_of_ten(digits_ - 1));
    return index < first_ ? 0 : index - first_ + 1;
}

float Lattice::magnitude_at(std::int64_t rank) const {
    if (rank == 0) return 0.0f;
    if (kind_ == Kind::Fixed) {
        const std::int64_t top = power_of_ten(kFixedDigits);
        if (rank < top) return hold(*field_, decimal(rank, -digits_)).value.real;
        const std::int64_t q = (rank - top) / per_decade_;
        const std::int64_t lead = (rank - top) % per_decade_ + power_of_ten(kFixedDigits - 1);
        const auto x = static_cast<int>(q) + kFixedDigits - digits_ + 1;
        return hold(*field_, decimal(lead, x - kFixedDigits)).value.real;
    }
    const std::int64_t index = first_ + rank - 1;
    const auto x = static_cast<int>(index / per_decade_) - kExponentBias;
    const std::int64_t m = index % per_decade_ + power_of_ten(digits_ - 1);
    return hold(*field_, decimal(m, x - digits_)).value.real;
}

std::int64_t Lattice::rank(const Value& held) const {
    if (kind_ == Kind::Integer) return held.integer;
    return held.real < 0.0f ? -rank_of_magnitude(-held.real) : rank_of_magnitude(held.real);
}

Value Lattice::at(std::int64_t rank) const {
    Value v;
    if (kind_ == Kind::Integer) {
        v.integer = static_cast<std::int32_t>(rank);
        return v;
    }
    if (rank < 0) {
        v.real = -magnitude_at(-rank);
        // The field's own reading of the negative value.
        v = hold(*field_, static_cast<double>(v.real)).value;
    } else {
        v.real = magnitude_at(rank);
    }
    return v;
}

}  // namespace swirl
