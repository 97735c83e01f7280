// Checks of a calculator's data-file tables, alike for the three programs:
// the report puts every input value where the reader takes it from (and
// nowhere else).  What a table must be on its own (names, meanings, units on
// the report) is checked when it is compiled (calculators::well_formed).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "calculators/calculator.h"
#include "calculators/data_file.h"

namespace test_support {

// A value of the k-th value line that its report field shows exactly and
// reads back exactly: small multiples of 1.25 for reals, one digit for
// integers (an I1 field holds no more).
inline calculators::Value distinct_value(std::size_t k, int shift) {
    calculators::Value v;
    v.real = 1.25f * static_cast<float>(k + 1 + static_cast<std::size_t>(shift) * 40);
    v.integer = static_cast<std::int32_t>((k + static_cast<std::size_t>(shift) * 5) % 9 + 1);
    return v;
}

// For each value line: a record with distinct values everywhere, that line's
// value changed, is written by the program's report writer `write(unit,
// record)` into memory and read back by the program's reader `read(unit,
// record)` into a fresh record.  Every value line must come back as written.
template <class Record, std::size_t N, class Write, class Read>
void expect_report_reads_back(const std::array<calculators::InputLine<Record>, N>& table, const Record& start,
                              Write write, Read read) {
    const std::size_t values = calculators::value_count(table);
    std::vector<calculators::Value> base(values), changed(values), back(values);
    for (std::size_t k = 0; k < values; ++k) base[k] = distinct_value(k, 0);
    for (std::size_t k = 0; k < values; ++k) {
        SCOPED_TRACE(::testing::Message() << "value line " << k + 1);
        changed = base;
        changed[k] = distinct_value(k, 1);
        Record written = start;
        calculators::set_inputs(table, std::span<const calculators::Value>(changed), written);
        std::string bytes;
        calculators::write_to_memory(bytes, [&](int unit) { write(unit, written); });

        Record read_back{};
        const calculators::ReadResult result =
            calculators::read_from_memory(bytes, [&](int unit) { return read(unit, read_back); });
        ASSERT_TRUE(result.ok()) << "line " << result.line << " of\n" << bytes;
        calculators::get_inputs(table, read_back, std::span<calculators::Value>(back));
        std::size_t j = 0;
        for (const auto& row : table) {
            if (row.kind != calculators::LineKind::Value) continue;
            if (row.type() == calculators::ValueType::Integer)
                EXPECT_EQ(back[j].integer, changed[j].integer) << row.name;
            else
                EXPECT_EQ(back[j].real, changed[j].real) << row.name;
            ++j;
        }
    }
}

}  // namespace test_support
