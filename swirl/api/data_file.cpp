#include "swirl/api/data_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "fixrec/posix.h"
#include "swirl/model/edits.h"

namespace swirl {

namespace {

// The whole content of `path` into `bytes`: 0, or the errno of the failure;
// `opened` tells whether it failed at the opening or at a read.
int read_file(const std::string& path, std::string& bytes, bool& opened) {
    bytes.clear();
    const int fd = fixrec::posix::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    opened = fd >= 0;
    if (!opened) return errno;
    const int err = fixrec::posix::read_all(fd, bytes);
    fixrec::posix::close(fd);
    return err;
}

const Field* value_field(const Calculator& calc, const calculators::ReadFailure& f) {
    for (const Field& field : calc.inputs)
        if (field.line == f.line && field.name == f.field) return &field;
    return nullptr;
}

}  // namespace

int read_whole_file(const std::string& path, std::string& bytes) {
    bool opened = false;
    return read_file(path, bytes, opened);
}

std::string read_data_file(const std::string& path) {
    std::string bytes;
    bool opened = false;
    if (const int err = read_file(path, bytes, opened); err != 0)
        throw Failure(calculators::kExitUnreadable,
                      (opened ? "cannot read " : "cannot open ") + path + ": " + std::strerror(err));
    return bytes;
}

ReadReason read_reason(const Calculator& calc, const calculators::ReadFailure& f) {
    if (f.end_of_file()) return f.found.empty() ? ReadReason::EndOfFile : ReadReason::EndOfFileMark;
    const Field* field = value_field(calc, f);
    if (f.kind != calculators::LineKind::Value || field == nullptr)
        return ReadReason::EndOfFile;  // a text line stops only at the end of the file
    if (f.reason == calculators::ReadReason::BeyondSingle) return ReadReason::BeyondSinglePrecision;
    return field->type == calculators::ValueType::Integer ? ReadReason::NotAWholeNumber : ReadReason::NotANumber;
}

const std::vector<Value>& DataFile::inputs() const {
    if (error) throw unreadable();
    return values;
}

Failure DataFile::unreadable() const {
    return Failure(calculators::kExitUnreadable, path + ": the input section of " + std::string(calc->name) +
                                                     " does not read: " + error->message +
                                                     failure_notes(findings, error->line));
}

DataFile data_file_from_bytes(std::string bytes, const std::string& path, const std::optional<std::string>& program) {
    DataFile file;
    file.path = path;
    file.bytes = std::move(bytes);
    std::optional<std::string_view> named;
    if (program) named = *program;
    file.calc = &detect_program(file.path, file.bytes, named);
    const Calculator& calc = *file.calc;
    file.findings = check_data_file(calc, file.path, file.bytes);
    file.values.assign(calc.inputs.size(), Value{});
    calculators::ReadFailure where;
    if (!calc.read(file.bytes, file.values, where)) {
        ReadError e;
        e.line = where.line;
        if (value_field(calc, where) != nullptr) e.field = where.field;
        e.first_column = where.first_column;
        e.last_column = where.last_column;
        e.found = where.found;
        e.reason = read_reason(calc, where);
        e.message = describe(calc, where);
        e.where = std::move(where);
        file.error = std::move(e);
    }
    return file;
}

DataFile open_data_file(const std::string& path, const std::optional<std::string>& program) {
    return data_file_from_bytes(read_data_file(path), path, program);
}

}  // namespace swirl
