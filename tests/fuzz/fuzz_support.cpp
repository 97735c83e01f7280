#include "fuzz_support.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz_support {

namespace {
std::string g_scratch;

void remove_scratch() {
    if (g_scratch.empty()) return;
    std::error_code ec;
    std::filesystem::current_path("/", ec);
    std::filesystem::remove_all(g_scratch, ec);
}
}  // namespace

void enter_scratch_directory() {
    if (!g_scratch.empty()) return;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/swirl-fuzz-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr || ::chdir(buf.data()) != 0) {
        std::perror("swirl fuzz: scratch directory");
        std::abort();
    }
    g_scratch = buf.data();
    std::atexit(remove_scratch);
}

std::string read_file(const char* name) {
    std::ifstream in(name, std::ios::binary);
    if (!in) fail("the data file exists after the run", name);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const char* name, std::string_view bytes) {
    std::FILE* f = std::fopen(name, "wb");
    if (f == nullptr) fail("the data file can be written before the run", name);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        std::fclose(f);
        fail("the data file can be written before the run", name);
    }
    if (std::fclose(f) != 0) fail("the data file can be written before the run", name);
}

std::vector<std::string> directory_entries() {
    std::vector<std::string> names;
    DIR* d = ::opendir(".");
    if (d == nullptr) fail("the working directory can be listed");
    while (const dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.emplace_back(e->d_name);
    }
    ::closedir(d);
    return names;
}

void fail(std::string_view invariant, std::string_view context) {
    std::fprintf(stderr, "\nINVARIANT BROKEN: %.*s\n", static_cast<int>(invariant.size()),
                 invariant.data());
    if (!context.empty()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(context.size()), context.data());
    }
    std::abort();
}

}  // namespace fuzz_support
