// swirl new: to be built.
#include "command.h"

namespace swirl {

void add_new(CLI::App& app, Action& action) {
    app.add_subcommand("new", "(not yet built)")->callback([&action] {
        action = [] { return kExitUsage; };
    });
}

}  // namespace swirl
