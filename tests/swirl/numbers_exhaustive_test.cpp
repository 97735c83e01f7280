// Every finite float: its shortest text reads back to it both ways (a few
// minutes; built with -DSWIRL_EXHAUSTIVE=ON, ctest -L exhaustive).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "reads_back.h"

namespace swirl {
namespace {

TEST(Shortest, ExhaustiveOverAllFloats) {
    for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << 32); ++bits) {
        const float f = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        if (std::isfinite(f)) expect_reads_back(f);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace swirl
