// What the commands tell of a data file (swirl/api/data_file.h opens it).
#pragma once

#include <string>
#include <vector>

#include "command.h"
#include "swirl/api/data_file.h"

namespace swirl {

// Each finding on standard error, "swirl: warning: FILE: ...".  With a
// failing line, those that the failure's message tells (failure_notes) are
// left out.
void warn(const std::string& path, const std::vector<Finding>& findings, int failing_line = 0);

// The findings of `file`, those its read failure tells left out.
void warn(const DataFile& file);

}  // namespace swirl
