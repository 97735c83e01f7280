// What `swirl show --json` prints of a data file, as documents for any front
// end: the inputs as their fields hold them, the results (null where the
// run's path did not compute one), verdicts, console lines, the exit-3 line,
// ZARN1's profiles; or where the reading stops.  Numbers are exact floats
// once written by dump_json().
#pragma once

#include <span>
#include <vector>

#include <nlohmann/json.hpp>

#include "swirl/api/data_file.h"

namespace swirl {

// {program, file, status, inputs, results, messages, (reason), verdicts,
// (profiles)} of `out`, computed from `inputs`.
nlohmann::ordered_json show_document(const DataFile& file, std::span<const Value> inputs,
                                     const calculators::Outcome& out);

// {program, file, status: "unreadable", failure} of a file that does not read.
nlohmann::ordered_json unreadable_document(const DataFile& file);

// A "warnings" array of the findings, when there are any.
void add_warnings(nlohmann::ordered_json& document, const std::vector<Finding>& findings);

}  // namespace swirl
