#include "output_file.h"

#include <unistd.h>

#include <filesystem>

#include "command.h"
#include "fixrec/posix.h"

namespace swirl {

namespace {

[[noreturn]] void fail(const std::string& name, const std::string& why) {
    throw CommandFailure(kExitNotWritten, "cannot write " + name + ": " + why);
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : name_(path) {
    if (path.empty() || path == "-") {
        name_ = "standard output";
        return;
    }
    try {
        file_ = std::make_unique<fixrec::ReplacementFile>(path);
    } catch (const fixrec::ReplacementError& e) {
        fail(name_, e.reason());
    }
}

void OutputFile::write(std::string_view bytes) {
    if (!file_) {
        if (const int err = fixrec::posix::write_all(STDOUT_FILENO, bytes.data(), bytes.size()))
            fail(name_, fixrec::posix::error_text(err));
        return;
    }
    try {
        file_->write(bytes);
    } catch (const fixrec::ReplacementError& e) {
        fail(name_, e.reason());
    }
}

void OutputFile::commit() {
    if (!file_) return;
    try {
        file_->commit();
    } catch (const fixrec::ReplacementError& e) {
        fail(name_, e.reason());
    }
}

bool is_same_file(const std::string& input, const std::string& path) {
    if (path.empty() || path == "-") return false;
    std::error_code ec;
    return std::filesystem::equivalent(input, path, ec);
}

}  // namespace swirl
