// swirl run FILE: the program's whole run on a data file of any name in any
// directory, exactly as the program runs on its own data file.
#include <filesystem>

#include "data_files.h"

namespace swirl {

void add_run(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> names;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* run = app.add_subcommand(
        "run", "Run the program on FILE as it runs on its own data file: the same report, console and exit code.\n"
               "Examples:\n"
               "  swirl new ZARN1 chamber-3.dat\n"
               "  swirl run chamber-3.dat");
    run->add_option("FILE", o->file, "the data file")->required();
    run->add_option("NAME", o->names,
                    "where the report goes when FILE cannot be opened again (as the program's own arguments)");
    add_program_option(*run, o->program);
    run->callback([&action, o] {
        action = [o] {
            // The file may be missing or unreadable: the program then
            // reports that itself.  Only a regular file is read here (a
            // pipe's bytes are the program's).
            std::string bytes;
            std::error_code ignored;
            const bool readable =
                std::filesystem::is_regular_file(o->file, ignored) && read_whole_file(o->file, bytes) == 0;
            if (!readable) {
                std::optional<std::string_view> named;
                if (o->program) named = *o->program;
                return detect_program(o->file, "", named).run(o->file, o->names, nullptr);
            }
            const DataFile file = data_file_from_bytes(std::move(bytes), o->file, o->program);
            warn(file.path, file.findings);
            return file.calc->run(o->file, o->names, nullptr);
        };
    });
}

}  // namespace swirl
