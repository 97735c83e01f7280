// A data file as show, set and edit take it: its bytes, its program, and its
// input section read with the program's own rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command.h"

namespace swirl {

struct DataFile {
    std::string path;
    std::string bytes;
    const Calculator* calc = nullptr;
};

// Reads FILE (exit 2 when it cannot) and tells its program (exit 64 when
// nothing does).
DataFile open_data_file(const std::string& path, const std::optional<std::string>& program);

// The inputs of its input section, or false and `failure`.
bool read_inputs(const DataFile& file, std::vector<Value>& inputs, calculators::ReadFailure& failure);

// The inputs, or a CommandFailure with exit 2 whose message names the line,
// the field and what was found there.
std::vector<Value> read_inputs(const DataFile& file);

}  // namespace swirl
