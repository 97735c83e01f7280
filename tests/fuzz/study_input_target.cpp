// Fuzz target: what swirl's studies take from a person.  The input is a
// first line naming the parser, then its text:
//   dist            a distribution, as --vary NAME=DIST gives it to swirl sample
//   requirement     a requirement, as --spec gives it to swirl summary
//   cases PROGRAM   a case list, as swirl sweep --cases reads it
//
// What must hold: the text is refused with a usage error and nothing else,
// or
//  - dist: its normalised text parses to the same text again, and its
//    quantiles at the extremes of the designs' numbers and in between are
//    numbers, in order, within the truncation when there is one;
//  - requirement: it names a result and a number;
//  - cases: every row holds one held value and its text per column, the
//    columns are distinct inputs of the program.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "swirl/core/usage_error.h"
#include "swirl/study/case_list.h"
#include "swirl/study/design.h"
#include "swirl/study/distribution.h"
#include "swirl/study/summary.h"

namespace {

using fuzz_support::fail;

void check_distribution(std::string_view text) {
    swirl::Distribution d;
    try {
        d = swirl::parse_distribution(text);
    } catch (const swirl::UsageError&) {
        return;
    }
    const std::string normal = d.text();
    if (swirl::parse_distribution(normal).text() != normal) fail("the normalised text reads back the same", normal);
    double last = -INFINITY;
    for (const double u : {swirl::unit_number(0), 0.1, 0.5, 0.9, swirl::unit_number(~std::uint64_t{0})}) {
        const double x = d.quantile(u);
        if (std::isnan(x)) fail("a quantile is a number", normal);
        if (x < last) fail("the quantiles are in order", normal);
        if (d.lo && (x < *d.lo || x > *d.hi)) fail("a quantile lies within the truncation", normal);
        last = x;
    }
}

void check_requirement(std::string_view text) {
    try {
        const swirl::Requirement q = swirl::parse_requirement(text);
        if (q.result.empty() || !std::isfinite(q.value)) fail("a requirement names a result and a number");
    } catch (const swirl::UsageError&) {
    }
}

void check_cases(const swirl::Calculator& calc, std::string_view text) {
    swirl::CaseList list;
    try {
        list = swirl::read_case_list(calc, text, "cases.csv");
    } catch (const swirl::UsageError&) {
        return;
    }
    if (list.rows.empty()) fail("a case list has rows");
    std::vector<bool> seen(calc.inputs.size(), false);
    for (const std::size_t i : list.inputs) {
        if (i >= calc.inputs.size() || seen[i]) fail("the columns are distinct inputs");
        seen[i] = true;
    }
    for (const swirl::CaseList::Row& row : list.rows)
        if (row.values.size() != list.inputs.size() || row.texts.size() != list.inputs.size())
            fail("a row holds a value a column");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t lf = input.find('\n');
    if (lf == std::string_view::npos) return 0;
    const std::string_view head = input.substr(0, lf), rest = input.substr(lf + 1);
    if (head == "dist") check_distribution(rest);
    if (head == "requirement") check_requirement(rest);
    if (head.starts_with("cases "))
        if (const swirl::Calculator* calc = swirl::find_program(head.substr(6))) check_cases(*calc, rest);
    return 0;
}
