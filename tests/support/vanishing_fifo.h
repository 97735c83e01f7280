// A data file that is a FIFO whose name goes once a run has opened it: the
// input section comes through, and the run's reopening of the file for its
// report fails.  No tracing is needed: the run blocks at its first reading
// until the name is gone and the section is in the FIFO.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace test_support {

// Waits until a descriptor in `fds_dir` (/proc/<pid>/fd of the run) names
// the FIFO `fifo_name`, then removes the name and writes `input` into it.
inline void feed_through_vanishing_fifo(const std::filesystem::path& fifo_name, const std::filesystem::path& fds_dir,
                                        const std::string& input) {
    namespace fs = std::filesystem;
    const fs::path fifo = fs::canonical(fifo_name);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool opened = false;
    while (!opened && std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        for (auto it = fs::directory_iterator(fds_dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code ec2;
            if (fs::read_symlink(it->path(), ec2) == fifo) opened = true;
        }
        if (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(opened) << "the run did not open its data file";
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::unlink(fifo.c_str()), 0);
    ASSERT_LT(input.size(), static_cast<std::size_t>(PIPE_BUF));  // one atomic write
    EXPECT_EQ(::write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fd);
}

}  // namespace test_support
