// swirl edit: to be built.
#include "command.h"

namespace swirl {

void add_edit(CLI::App& app, Action& action) {
    app.add_subcommand("edit", "(not yet built)")->callback([&action] {
        action = [] { return kExitUsage; };
    });
}

}  // namespace swirl
