// swirl show: to be built.
#include "command.h"

namespace swirl {

void add_show(CLI::App& app, Action& action) {
    app.add_subcommand("show", "(not yet built)")->callback([&action] {
        action = [] { return kExitUsage; };
    });
}

}  // namespace swirl
