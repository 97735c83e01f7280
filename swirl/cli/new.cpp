// swirl new PROGRAM FILE: the program's bundled example, a complete data file
// that runs as it is, written to a new file.
#include <sys/stat.h>

#include <iostream>

#include "command.h"

namespace swirl {

void add_new(CLI::App& app, Action& action) {
    struct Options {
        std::string program;
        std::string file;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand(
        "new",
        "Write PROGRAM's example data file, complete and ready to run, to FILE, which must not exist (exit 1).\n"
        "Example: swirl new BILM tank7.dat");
    cmd->add_option("PROGRAM", o->program, "BILM, KERVA or ZARN1 (any case)")->required();
    cmd->add_option("FILE", o->file, "the new data file")->required();
    cmd->callback([&action, o] {
        action = [o] {
            const Calculator* calc = find_program(o->program);
            if (calc == nullptr) throw UsageError("unknown program " + o->program + " (one of " + program_names() + ")");
            if (o->file.empty()) throw UsageError("FILE is an empty name: give the name of the new data file");
            // Any entry of that name counts, a dangling symbolic link too:
            // swirl new never writes over anything.
            struct stat st;
            if (::lstat(o->file.c_str(), &st) == 0)
                throw CommandFailure(kExitNotWritten, o->file + " already exists: nothing written");
            try {
                // A file that appears meanwhile is not written over either.
                fixrec::replace_file(o->file, calc->example);
            } catch (const fixrec::Fatal& e) {
                throw CommandFailure(kExitNotWritten, o->file + " not written: " + e.what());
            }
            std::cout << o->file << ": the example data file of " << calc->name << '\n';
            return kExitDone;
        };
    });
}

}  // namespace swirl
