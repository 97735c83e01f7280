// swirl set: to be built.
#include "command.h"

namespace swirl {

void add_set(CLI::App& app, Action& action) {
    app.add_subcommand("set", "(not yet built)")->callback([&action] {
        action = [] { return kExitUsage; };
    });
}

}  // namespace swirl
