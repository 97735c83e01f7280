// The property every shortest float text must have, shared by the unit test
// and the exhaustive sweep.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <string>

#include "swirl/core/numbers.h"

namespace swirl {

// The text is a plain decimal and reads back to the same float both as a
// float and as a double rounded to float.
inline void expect_reads_back(float f) {
    const std::string text = shortest(f);
    float direct = 0;
    std::from_chars(text.data(), text.data() + text.size(), direct);
    const auto via_double = parse_plain_decimal(text);
    ASSERT_TRUE(via_double) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(direct), std::bit_cast<std::uint32_t>(f)) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(*via_double)), std::bit_cast<std::uint32_t>(f)) << text;
}

}  // namespace swirl
