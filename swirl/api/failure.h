// How a request of a front end (a command, a call of the Python module, a
// page's request) ends early: one line for a person and the exit code a
// command ends with (calculators::ExitCode: 1 a file not written, 2 a data
// file that cannot be read, 3 inputs that make the computation invalid).  A
// request that cannot be accepted (exit 64) is a UsageError instead.
#pragma once

#include <stdexcept>
#include <string>

#include "calculators/exit_code.h"
#include "swirl/core/usage_error.h"

namespace swirl {

class Failure : public std::runtime_error {
public:
    Failure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

}  // namespace swirl
