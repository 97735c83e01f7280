// swirl serve [DIR]: the data files of a folder as a local page, served on
// the loopback addresses until Ctrl-C.
#include <iostream>

#include "command.h"
#include "swirl/serve/http_server.h"

namespace swirl {

void add_serve(CLI::App& app, Action& action) {
    struct Options {
        std::string dir = ".";
        unsigned port = 0;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "serve",
        "Serve the data files of DIR as a local page: every input a field, the results recomputed as you type, "
        "ZARN1's profiles and a curve of a result against an input drawn beside, Save and Revert.\n"
        "Listens on 127.0.0.1 (and ::1) only; the first line printed is the address to open, with its token. "
        "Ctrl-C stops it.\n"
        "Example:\n"
        "  swirl serve .");
    command->add_option("DIR", o->dir, "the folder of data files (default: the current one)");
    command->add_option("--port", o->port, "the port, 1 to 65535 (default: a free one)")
        ->type_name("P")
        ->check(CLI::Range(1u, 65535u).description(""));
    add_program_option(*command, o->program);
    command->callback([&action, o] {
        action = [o] {
            if (o->program && find_program(*o->program) == nullptr) throw UsageError(unknown_program(*o->program));
            serve::Site site(o->dir, o->program, serve::new_token());
            serve::HttpServer server(site, o->port);
            std::cout << "http://127.0.0.1:" << server.port() << "/?token=" << site.token() << '\n'
                      << "serving the data files of " << o->dir << "; Ctrl-C stops" << std::endl;
            server.run(0);
            std::cout << "stopped" << std::endl;
            return kExitOk;
        };
    });
}

}  // namespace swirl
