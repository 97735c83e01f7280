// What the study commands (sweep, plot) share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "command.h"

namespace swirl {

// The inputs of a data file as its program reads them; CommandFailure with
// exit 2 naming the line, the value and the columns where the reading stops.
std::vector<Value> read_inputs(const Calculator& calc, const std::string& path, std::string_view bytes);

}  // namespace swirl
