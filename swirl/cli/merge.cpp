// swirl merge PART.csv... -o ALL.csv: the shards of one study, each written
// with --shard K/N -o PART.csv and so described by its manifest
// PART.csv.json, put back together into the table of the whole study.
// Every part and manifest is checked before a byte is written.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "command.h"
#include "output_file.h"
#include "swirl/study/manifest.h"

namespace swirl {

namespace {

using Chunk = std::function<void(std::string_view)>;

// Hands the bytes of the file at `path` to `chunk` in pieces.
// Failure(2) when it cannot be opened or read.
void read_in_chunks(const std::string& path, const Chunk& chunk) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) throw CommandFailure(kExitUnreadable, "cannot open " + path + ": " + std::strerror(errno));
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(f, std::fclose);
    std::string buffer(std::size_t{1} << 20, '\0');
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
        if (n > 0) chunk(std::string_view(buffer.data(), n));
        if (n < buffer.size()) {
            if (std::ferror(f)) throw CommandFailure(kExitUnreadable, "cannot read " + path + ": " + std::strerror(errno));
            return;
        }
    }
}

Manifest read_manifest(const std::string& part) {
    const std::string name = manifest_path(part);
    std::string text;
    std::FILE* probe = std::fopen(part.c_str(), "rb");
    if (probe == nullptr) throw CommandFailure(kExitUnreadable, "cannot open " + part + ": " + std::strerror(errno));
    std::fclose(probe);
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) {
        if (errno == ENOENT)
            throw UsageError(part + " has no manifest " + name + ": only a shard written by --shard K/N -o " + part +
                             " can be merged");
        throw CommandFailure(kExitUnreadable, "cannot open " + name + ": " + std::strerror(errno));
    }
    std::fclose(f);
    read_in_chunks(name, [&](std::string_view bytes) {
        text += bytes;
        if (text.size() > (std::size_t{1} << 24)) throw UsageError(part + ": its manifest " + name + " is too long");
    });
    try {
        return parse_manifest(text);
    } catch (const ManifestError& e) {
        throw UsageError(part + ": its manifest " + name + " does not read: " + e.what());
    }
}

// Whether the table `part` is the one its manifest describes; UsageError
// naming it otherwise.
void check_table(const std::string& part, const Manifest& m, const TableDigest& d) {
    const auto refuse = [&](const std::string& why) {
        throw UsageError(part + " is not the table its manifest describes (" + why +
                         "): truncated or changed since shard " + std::to_string(m.shard.k) + "/" +
                         std::to_string(m.shard.n) + " was computed; compute it again");
    };
    if (d.header() != m.header) refuse("another header");
    if (d.rows() != m.rows || !d.ends_at_line_end())
        refuse(std::to_string(d.rows()) + (d.ends_at_line_end() ? "" : " whole") + " rows where its manifest says " +
               std::to_string(m.rows));
    if (d.sha256() != m.sha256) refuse("its rows' digest differs");
}

}  // namespace

void add_merge(CLI::App& app, Action& action) {
    struct Options {
        std::vector<std::string> parts;
        std::string out;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "merge",
        "Put the shards of one study back together: the table of the whole study, byte for byte.\n"
        "Each PART is a table written with --shard K/N -o PART, whose manifest PART.json says which shard of which "
        "study it is. The parts may come in any order; a shard missing, given twice, truncated or changed, or of "
        "another study is refused and nothing is written.\n"
        "Example:\n"
        "  swirl sweep BILM.DAT --vary Q=1e-5:0.01:61:log --shard 1/2 -o part-1.csv\n"
        "  swirl sweep BILM.DAT --vary Q=1e-5:0.01:61:log --shard 2/2 -o part-2.csv\n"
        "  swirl merge part-*.csv -o q.csv");
    command->add_option("PART", o->parts, "the tables of the shards, in any order")->required();
    command->add_option("-o,--output", o->out, "the table of the whole study (written whole, at the end); "
                                               "default: standard output");
    command->callback([&action, o] {
        action = [o] {
            for (const std::string& part : o->parts)
                if (is_same_file(part, o->out) || is_same_file(manifest_path(part), o->out))
                    throw UsageError("the output " + o->out + " is " + part +
                                     (is_same_file(part, o->out) ? "" : "'s manifest") + ", which a merge never writes");
            std::vector<Manifest> manifests;
            for (const std::string& part : o->parts) manifests.push_back(read_manifest(part));
            const std::vector<std::size_t> order = order_shards(o->parts, manifests);
            for (const std::size_t i : order) {
                TableDigest d;
                read_in_chunks(o->parts[i], [&](std::string_view bytes) { d.add(bytes); });
                check_table(o->parts[i], manifests[i], d);
            }
            // The header of the first part, then every part's rows; each
            // part is checked again as it is copied, so that one changed
            // meanwhile leaves the output as it was.
            OutputFile out(o->out);
            bool first = true;
            for (const std::size_t i : order) {
                TableDigest d;
                bool skipping = !first;  // the header of a later part
                read_in_chunks(o->parts[i], [&](std::string_view bytes) {
                    d.add(bytes);
                    if (skipping) {
                        const std::size_t end = bytes.find('\n');
                        if (end == std::string_view::npos) return;
                        bytes.remove_prefix(end + 1);
                        skipping = false;
                    }
                    out.write(bytes);
                });
                check_table(o->parts[i], manifests[i], d);
                first = false;
            }
            out.commit();
            return kExitOk;
        };
    });
}

}  // namespace swirl
