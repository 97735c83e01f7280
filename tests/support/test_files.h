// Scratch directories and whole-file byte access for tests that work on
// real files.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "privilege.h"

namespace test_support {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The bytes of a file; throws when it cannot be read.
std::string read_bytes(const std::filesystem::path& file);

// Replaces the content of a file (creating it) with exactly these bytes.
void write_bytes(const std::filesystem::path& file, std::string_view bytes);

// Names of the entries of a directory, hidden ones included.
std::set<std::string> entries(const std::filesystem::path& dir);

// The permission bits of a path itself (a link is not followed); 0 when it
// does not exist.
mode_t mode_of(const std::filesystem::path& p);

}  // namespace test_support
