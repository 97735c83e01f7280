// A data file as show, set and edit take it: its bytes, its program, and its
// input section read with the program's own rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "swirl/model/checks.h"

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
// the field and what was found there (and the notes of failure_notes).
std::vector<Value> read_inputs(const DataFile& file);

// What a hand edit did to FILE (check_data_file).
std::vector<Finding> check(const DataFile& file);

// Each finding on standard error, "swirl: warning: FILE: ...".  With a
// failing line, those that the failure's message tells (failure_notes) are
// left out.
void warn(const std::string& path, const std::vector<Finding>& findings, int failing_line = 0);

}  // namespace swirl
