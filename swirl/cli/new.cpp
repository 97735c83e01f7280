// swirl new PROGRAM FILE: the program's bundled example, a complete data file
// that runs as it is, written to a new file.
#include <sys/stat.h>

#include <filesystem>
#include <iostream>

#include "command.h"
#include "fixrec/posix.h"

namespace swirl {

void add_new(CLI::App& app, Action& action) {
    struct Options {
        std::string program;
        std::string file;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "new",
        "Write PROGRAM's example data file, complete and ready to run, to a new FILE.\n"
        "FILE must not exist (exit 1).\n"
        "Example: swirl new BILM tank7.dat");
    cmd->add_option("PROGRAM", o->program, "BILM, KERVA or ZARN1 (any case)")->required();
    cmd->add_option("FILE", o->file, "the new data file")->required();
    cmd->callback([&action, o] {
        action = [o] {
            const Calculator* calc = find_program(o->program);
            if (calc == nullptr) throw UsageError(unknown_program(o->program));
            if (o->file.empty()) throw UsageError("FILE is an empty name: give the name of the new data file");
            // Any entry of that name counts, a dangling symbolic link too:
            // swirl new never writes over anything.
            struct stat st;
            if (fixrec::posix::lstat(o->file.c_str(), st) == 0)
                throw CommandFailure(kExitNotWritten, o->file + " already exists: nothing written");
            // A folder that is not there is said plainly, not as the error of a write.
            const std::filesystem::path folder = std::filesystem::path(o->file).parent_path();
            if (!folder.empty() && fixrec::posix::stat(folder.c_str(), st) != 0)
                throw CommandFailure(kExitNotWritten, o->file + " not written: there is no folder " + folder.string());
            if (!folder.empty() && !S_ISDIR(st.st_mode))
                throw CommandFailure(kExitNotWritten, o->file + " not written: " + folder.string() + " is not a folder");
            try {
                // A file that appears meanwhile is not written over either.
                fixrec::replace_file(o->file, calc->example);
            } catch (const fixrec::Fatal& e) {
                throw CommandFailure(kExitNotWritten, o->file + " not written: " + e.what());
            }
            std::cout << o->file << ": the example data file of " << calc->name << '\n';
            return kExitOk;
        };
    });
}

}  // namespace swirl
