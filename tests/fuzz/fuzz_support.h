// Shared pieces of the fuzz targets: a scratch working directory for the
// whole fuzzing process, whole-file access, and a loud failure that names
// the broken invariant (libFuzzer keeps the input that caused it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_support {

// Creates a fresh directory under $TMPDIR (or /tmp), makes it the working
// directory and removes it with everything in it when the process exits.
void enter_scratch_directory();

std::string read_file(const char* name);
void write_file(const char* name, std::string_view bytes);

// Names in the working directory, hidden ones included.
std::vector<std::string> directory_entries();

// Prints the invariant that failed and the context, then aborts.
[[noreturn]] void fail(std::string_view invariant, std::string_view context = {});

}  // namespace fuzz_support
