#include "swirl/api/values.h"

#include "fixrec/replacement_file.h"

namespace swirl {

std::string set_values(const DataFile& file, std::span<const Assignment> assignments) {
    (void)file.inputs();
    for (const Finding& f : file.findings)
        if (blocks_writing(f))
            throw Failure(calculators::kExitUnreadable, file.path + ": " + f.message + "; nothing written");
    return assign(*file.calc, file.bytes, assignments);
}

void write_back(const DataFile& file, std::string_view bytes) {
    if (bytes == file.bytes) return;
    try {
        fixrec::ReplacementFile out(file.path);
        out.write(bytes);
        out.commit();
    } catch (const fixrec::Fatal& e) {
        throw Failure(calculators::kExitNotWritten, file.path + " is as it was: " + e.what());
    }
}

calculators::Outcome compute(const DataFile& file, bool profiles) {
    calculators::Outcome out;
    file.calc->compute(file.inputs(), profiles, out);
    return out;
}

Failure computation_invalid(const DataFile& file) {
    return Failure(calculators::kExitInvalidArithmetic,
                   file.path + ": the inputs make the computation of " + std::string(file.calc->name) + " invalid");
}

}  // namespace swirl
