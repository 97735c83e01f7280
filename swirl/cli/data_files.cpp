#include "data_files.h"

#include <iostream>

namespace swirl {

void warn(const std::string& path, const std::vector<Finding>& findings, int failing_line) {
    for (const Finding& f : findings) {
        if (failing_line != 0 && !failure_notes({f}, failing_line).empty()) continue;
        std::cerr << "swirl: warning: " << path << ": " << f.message << '\n';
    }
}

void warn(const DataFile& file) { warn(file.path, file.findings, file.error ? file.error->line : 0); }

}  // namespace swirl
