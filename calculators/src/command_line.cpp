// -h, --help and --version of the calculators.
#include "calculators/command_line.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "calculators/build_info.h"
#include "calculators/calculator.h"
#include "calculators/exit_code.h"
#include "fixrec/fixrec.h"

namespace calculators {

namespace {

enum class Request { Run, Help, Version };

Request request(int argc, char** argv) {
    if (argc != 2) return Request::Run;
    const std::string_view arg = argv[1];
    if (arg == "-h" || arg == "--help") return Request::Help;
    if (arg == "--version") return Request::Version;
    return Request::Run;
}

std::string usage(const Program& p) {
    std::string s;
    s.append("Usage: ").append(p.name).append(" [-h | --help | --version]\n\n");
    s.append(p.purpose).append("\n");
    s.append("Data file: ").append(p.data_file).append(" in the current directory. ");
    s.append(p.name).append(" reads its input section\n");
    s.append("and rewrites the whole file with the report, which is the input of the\n");
    s.append("next run.\n\n");
    s.append("Exit codes:\n");
    s.append("  0  normal end\n");
    s.append("  1  the report could not be written\n");
    s.append("  2  the data file could not be opened or read\n");
    s.append("  3  the input makes the computation invalid\n\n");
    s.append("Options:\n");
    s.append("  -h, --help  show this text\n");
    s.append("  --version   show the version\n\n");
    s.append("Guide: ").append(build_info::kGuideDir).append("/").append(p.name).append(".md\n");
    return s;
}

// Everything, or as much as stdout takes: the answer has no way to report a
// failure of its own.
void write_stdout(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t k = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(k));
    }
}

// Answers -h, --help or --version alone; false when the arguments ask for a run.
bool answered(int argc, char** argv, const Program& program) {
    switch (request(argc, argv)) {
        case Request::Help:
            write_stdout(usage(program));
            return true;
        case Request::Version:
            write_stdout(std::string(program.name) + " " + std::string(build_info::kVersion) + "\n");
            return true;
        case Request::Run:
            break;
    }
    return false;
}

}  // namespace

int run(int argc, char** argv, const Program& program, int (*body)()) {
    if (answered(argc, argv, program)) return kExitOk;
    return fixrec::run_main(argc, argv, body);
}

int run(int argc, char** argv, const Calculator& calculator) {
    if (answered(argc, argv, {calculator.name, calculator.data_file, calculator.purpose})) return kExitOk;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return calculator.run(calculator.data_file, std::move(args), nullptr);
}

}  // namespace calculators
