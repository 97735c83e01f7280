// The powers a test runs with, and the identity without them.
#pragma once

#include <sys/types.h>

namespace test_support {

// True when the test runs with the powers of root (which may write any file).
bool running_as_root();

// The identity of the unprivileged account used to run a program without the
// powers of root.
inline constexpr uid_t kNobodyUid = 65534;
inline constexpr gid_t kNobodyGid = 65534;

}  // namespace test_support
