// Where a study command writes its table: an OutputFile, and for a shard
// (--shard given) written to a file OUT.csv its manifest OUT.csv.json beside
// it (swirl/study/manifest.h), so that swirl merge can put the shards back
// together.  The table's bytes are the same with or without the manifest.
//
//   StudyOutput out(o->out, shard_given);
//   out.write(header); ... out.write(rows);
//   out.commit("sweep", sweep.identity(), shard, sweep.cases(), sweep.total());
//
// The manifest's identity is the study's after ("swirl version", the
// version of swirl), so that shards of different versions are not merged.
// The table is committed first, then the manifest: a table whose manifest
// could not be written has none, or an older run's, which swirl merge
// accepts only when it describes the rows exactly.  A shard
// going to standard output or to a file that is not a regular one (a pipe)
// gets no manifest: a note on standard error says so.
#pragma once

#include <string>
#include <string_view>

#include "output_file.h"
#include "swirl/study/manifest.h"

namespace swirl {

class StudyOutput {
public:
    StudyOutput(const std::string& path, bool sharded);

    void write(std::string_view bytes);
    void commit(std::string study, Identity identity, Shard shard, CaseRange cases, std::int64_t total);

private:
    OutputFile out_;
    std::string path_;
    bool manifest_ = false;
    TableDigest digest_;
};

}  // namespace swirl
