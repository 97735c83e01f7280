// -h, --help and --version of the calculators, and the refusal of any other
// option.
#include "calculators/command_line.h"

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "calculators/build_info.h"
#include "calculators/calculator.h"
#include "calculators/exit_code.h"
#include "fixrec/fixrec.h"
#include "fixrec/posix.h"

namespace calculators {

namespace {

// What --help says about one calculator.
struct Program {
    std::string_view name;       // "BILM"
    std::string_view data_file;  // "BILM.DAT"
    // What it computes: one to three lines of English, each ending in LF.
    std::string_view purpose;
};

enum class Request { Run, Help, Version, Refused };

// -h, --help or --version is the only argument; any other argument starting
// with '-' (these three among others included, and '-' itself) is refused, so
// that a mistyped option neither names the file for a report nor runs.
Request request(int argc, char** argv) {
    if (argc == 2) {
        const std::string_view arg = argv[1];
        if (arg == "-h" || arg == "--help") return Request::Help;
        if (arg == "--version") return Request::Version;
    }
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-') return Request::Refused;
    return Request::Run;
}

// The first refused argument.
std::string_view refused_argument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-') return argv[i];
    return {};
}

std::string usage_line(const Program& p) {
    return "Usage: " + std::string(p.name) + " [-h | --help | --version]\n";
}

// Whether `path` lies in the folder `dir` (both absolute and normal).
bool within(const std::filesystem::path& path, const std::filesystem::path& dir) {
    auto p = path.begin();
    for (auto d = dir.begin(); d != dir.end(); ++d, ++p) {
        if (d->empty()) continue;  // the empty last element of a folder ending in '/'
        if (p == path.end() || *p != *d) return false;
    }
    return true;
}

// The guide of a program where the installation it runs from has it: in the
// documentation folder under the prefix of <prefix>/bin, or, for a program in
// this build tree, in the sources' docs/.  Empty when there is none.
std::string guide_path(std::string_view name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.is_absolute()) return {};
    const fs::path file = std::string(name) + ".md";
    const fs::path installed =
        (exe.parent_path().parent_path() / fs::path(build_info::kInstalledGuides) / file).lexically_normal();
    if (fs::is_regular_file(installed, ec)) return installed.string();
    const fs::path build_tree = fs::weakly_canonical(fs::path(build_info::kBuildTree), ec);
    if (ec || !within(exe, build_tree)) return {};
    const fs::path source = fs::path(build_info::kSourceGuides) / file;
    return fs::is_regular_file(source, ec) ? source.string() : std::string();
}

std::string usage(const Program& p) {
    std::string s;
    s.append(usage_line(p)).append("\n");
    s.append(p.purpose).append("\n");
    s.append("Data file: ").append(p.data_file).append(" in the current directory. ");
    s.append(p.name).append(" reads its input section\n");
    s.append("and rewrites the whole file with the report, which is the input of the\n");
    s.append("next run.\n\n");
    s.append("Exit codes:\n");
    s.append("  0  normal end\n");
    s.append("  1  the report could not be written\n");
    s.append("  2  the data file could not be opened or read\n");
    s.append("  3  the input makes the computation invalid\n");
    s.append(" 64  an argument starting with '-' other than one option below alone; nothing touched\n\n");
    s.append("Options:\n");
    s.append("  -h, --help  show this text\n");
    s.append("  --version   show the version\n\n");
    const std::string guide = guide_path(p.name);
    if (!guide.empty())
        s.append("Guide: ").append(guide).append("\n");
    else
        s.append("Guide: ").append(p.name).append(".md in docs/ of the sources (not installed with this program)\n");
    return s;
}

// Everything, or as much as the stream takes: the answer has no way to report
// a failure of its own.
void write_all(int fd, std::string_view bytes) { fixrec::posix::write_all(fd, bytes.data(), bytes.size()); }

// Answers -h, --help or --version alone, and refuses any other option;
// nullopt when the arguments ask for a run.
std::optional<int> answered(int argc, char** argv, const Program& program) {
    switch (request(argc, argv)) {
        case Request::Help:
            write_all(STDOUT_FILENO, usage(program));
            return kExitOk;
        case Request::Version:
            write_all(STDOUT_FILENO, std::string(program.name) + " " + std::string(build_info::kVersion) + "\n");
            return kExitOk;
        case Request::Refused:
            write_all(STDERR_FILENO, std::string(program.name) + ": unknown option " +
                                         std::string(refused_argument(argc, argv)) + "\n" + usage_line(program));
            return kExitUsage;
        case Request::Run:
            break;
    }
    return std::nullopt;
}

}  // namespace

int run(int argc, char** argv, const Calculator& calculator) {
    if (const std::optional<int> code = answered(argc, argv, {calculator.name, calculator.data_file, calculator.purpose}))
        return *code;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return calculator.run(calculator.data_file, std::move(args), nullptr);
}

}  // namespace calculators
