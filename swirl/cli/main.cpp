// swirl: the companion command of the three calculators.  Data files by name
// (show, set, new, edit, run) over the programs' own reading rules,
// computation and report; each command lives in a file of its own.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "command.h"
#include "swirl_build_info.h"

namespace swirl {

std::string read_data_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CommandFailure(kExitUnreadable, "cannot open " + path + ": " + std::strerror(errno));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw CommandFailure(kExitUnreadable, "cannot read " + path);
    return bytes;
}

const Calculator& program_of(const std::string& path, std::string_view bytes,
                             const std::optional<std::string>& program) {
    std::optional<std::string_view> option;
    if (program) option = *program;
    return detect_program(path, bytes, option);
}

void add_program_option(CLI::App& command, std::optional<std::string>& program) {
    command.add_option("--program", program,
                       "BILM, KERVA or ZARN1 (any case); else told by the file's name or its report banner");
}

namespace {

int run_swirl(int argc, char** argv) {
    CLI::App app{"swirl: data files of the swirl calculators (BILM, KERVA, ZARN1) by name, in UTF-8.\n"
                 "Example: swirl show BILM.DAT"};
    app.name("swirl");  // usage lines say "swirl", not the path it was started by
    app.set_version_flag("--version", std::string("swirl ") + kSwirlVersion);
    app.require_subcommand(1);
    Action action;
    add_show(app, action);
    add_set(app, action);
    add_new(app, action);
    add_edit(app, action);
    add_run(app, action);
    add_sweep(app, action);
    add_plot(app, action);
    add_fields(app, action);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version exit 0; any other parse failure is a usage error.
        const int code = app.exit(e);
        return code == 0 ? 0 : kExitUsage;
    }
    return action ? action() : kExitUsage;
}

}  // namespace
}  // namespace swirl

int main(int argc, char** argv) {
    try {
        return swirl::run_swirl(argc, argv);
    } catch (const swirl::UsageError& e) {
        std::cerr << "swirl: " << e.what() << '\n';
        return swirl::kExitUsage;
    } catch (const swirl::CommandFailure& e) {
        std::cerr << "swirl: " << e.what() << '\n';
        return e.code();
    } catch (const std::exception& e) {
        std::cerr << "swirl: " << e.what() << '\n';
        return swirl::kExitNotWritten;
    }
}
