// A command line that the swirl command cannot accept: the message is one
// line for standard error, the exit code 64, and nothing is written.
#pragma once

#include <stdexcept>

namespace swirl {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace swirl
