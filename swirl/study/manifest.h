// The manifest of a shard: what a study's table needs beside it so that the
// shards of one study go back together safely (swirl merge), while the table
// itself stays a plain CSV table.
//
// A shard written to a file OUT.csv gets its manifest in OUT.csv.json (the
// name is manifest_path()), a JSON object:
//
//   {
//     "manifest": "swirl shard",       what the file is
//     "format": 1,                     its layout; another one is refused
//     "study": "sweep",                the command that computed the table
//     "identity": {"swirl version": "1.0.0", "program": "KERVA",
//                  "input DQ": "0.0002", ..., "vary 1": "LGSG=0:0.8:81", ...},
//     "shard": "2/16",
//     "cases": {"begin": 102, "end": 204, "total": 1620},
//     "header": "DQ,...,status,reason,messages,...",
//     "rows": 102,
//     "sha256": "5f0c..."
//   }
//
// - identity: the study's own description, pairs of texts in its order
//   (Sweep::identity(): the program, every input as FILE holds it, the grids
//   normalised), after the version of swirl that computed it.  Two shards are of one study when their study, identity,
//   shard count, total and header are equal.
// - cases: the cases [begin, end) of the shard among `total`
//   (shard_range()); rows: the rows the table holds after its header.
// - header: the table's first row without its line end; sha256: the digest
//   of every byte after that line end, so that
//     tail -n +2 OUT.csv | sha256sum
//   prints it.
//
// A study plugs in by giving its identity: the command writes its table
// through TableDigest and then write_manifest() (swirl/cli/study_output.h
// does both for a command).
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swirl/core/grid.h"
#include "swirl/core/sha256.h"

namespace swirl {

using Identity = std::vector<std::pair<std::string, std::string>>;

struct Manifest {
    std::string study;
    Identity identity;
    Shard shard;
    CaseRange cases;
    std::int64_t total = 0;
    std::string header;
    std::int64_t rows = 0;
    std::string sha256;
};

inline constexpr int kManifestFormat = 1;

// Where the manifest of the table `table` lives: its name with ".json" added.
std::string manifest_path(std::string_view table);

// The manifest as JSON text (two-space indent, a line end at the end).
// std::invalid_argument for an identity with a key twice.
std::string manifest_text(const Manifest& m);

// A manifest read back; ManifestError with the reason when the text is not
// one (not JSON, another format, a member missing or of the wrong kind, a
// shard or case range that does not add up).
class ManifestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
Manifest parse_manifest(std::string_view text);

// A table's bytes as they are written or read, in order: its header row, the
// rows after it and their digest.
class TableDigest {
public:
    void add(std::string_view bytes);
    std::string header() const;          // the first row without CR LF
    std::int64_t rows() const { return rows_; }  // line ends after the header
    // Whether the bytes end with a whole row: the header's line end, or the
    // line end of the last row.
    bool ends_at_line_end() const { return !in_header_ && (after_ == 0 || last_ == '\n'); }
    std::string sha256() const { return digest_.hex(); }
    // The manifest of these bytes as a shard of `study`.
    Manifest manifest(std::string study, Identity identity, Shard shard, CaseRange cases, std::int64_t total) const;

private:
    bool in_header_ = true;
    std::int64_t after_ = 0;  // bytes after the header
    char last_ = 0;
    std::string header_;
    std::int64_t rows_ = 0;
    Sha256 digest_;
};

// The shards of one study checked as a set: `names[i]` is the table that
// `parts[i]` describes, for the messages.  UsageError naming the table when
// a part is of another study (study, identity, shard count, total or header
// differ from the most of them: the first difference is named), two parts
// are the same shard, or a shard is missing.  Returns the indices of the
// parts in shard order.
std::vector<std::size_t> order_shards(std::span<const std::string> names, std::span<const Manifest> parts);

}  // namespace swirl
