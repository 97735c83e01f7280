#include "data_files.h"

#include <iostream>

#include "swirl/model/edits.h"

namespace swirl {

DataFile open_data_file(const std::string& path, const std::optional<std::string>& program) {
    DataFile file;
    file.path = path;
    file.bytes = read_data_file(path);
    file.calc = &program_of(path, file.bytes, program);
    return file;
}

bool read_inputs(const DataFile& file, std::vector<Value>& inputs, calculators::ReadFailure& failure) {
    inputs.assign(file.calc->inputs.size(), Value{});
    return file.calc->read(file.bytes, inputs, failure);
}

std::vector<Value> read_inputs(const DataFile& file) {
    std::vector<Value> inputs;
    calculators::ReadFailure failure;
    if (!read_inputs(file, inputs, failure))
        throw CommandFailure(kExitUnreadable, file.path + ": the input section of " + std::string(file.calc->name) +
                                                  " does not read: " + describe(*file.calc, failure) +
                                                  failure_notes(check(file), failure.line));
    return inputs;
}

std::vector<Finding> check(const DataFile& file) { return check_data_file(*file.calc, file.path, file.bytes); }

void warn(const std::string& path, const std::vector<Finding>& findings, int failing_line) {
    for (const Finding& f : findings) {
        if (failing_line != 0 && !failure_notes({f}, failing_line).empty()) continue;
        std::cerr << "swirl: warning: " << path << ": " << f.message << '\n';
    }
}

}  // namespace swirl
