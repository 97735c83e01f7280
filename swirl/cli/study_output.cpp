#include "study_output.h"

#include <filesystem>
#include <iostream>

#include "command.h"
#include "swirl_build_info.h"

namespace swirl {

namespace {

// Whether `path` names standard output, or a file that exists and is not a
// regular file once links are followed.
bool is_stream(const std::string& path) {
    if (path.empty() || path == "-") return true;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

}  // namespace

StudyOutput::StudyOutput(const std::string& path, bool sharded) : out_(path), path_(path) {
    if (!sharded) return;
    if (is_stream(path)) {
        std::cerr << "swirl: note: a shard not written to a file (-o OUT.csv) gets no manifest; swirl merge "
                     "takes only shards that have one\n";
        return;
    }
    manifest_ = true;
}

void StudyOutput::write(std::string_view bytes) {
    out_.write(bytes);
    if (manifest_) digest_.add(bytes);
}

void StudyOutput::commit(std::string study, Identity identity, Shard shard, CaseRange cases, std::int64_t total) {
    if (!manifest_) {
        out_.commit();
        return;
    }
    // Shards computed by different versions of swirl may differ in their rows.
    identity.insert(identity.begin(), {"swirl version", kSwirlVersion});
    const std::string text = manifest_text(digest_.manifest(std::move(study), std::move(identity), shard, cases, total));
    const std::string name = manifest_path(path_);
    OutputFile manifest(name);
    manifest.write(text);
    out_.commit();
    manifest.commit();
}

}  // namespace swirl
