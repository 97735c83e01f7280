// swirl plot: to be built.
#include "command.h"

namespace swirl {

void add_plot(CLI::App& app, Action& action) {
    app.add_subcommand("plot", "(not yet built)")->callback([&action] {
        action = [] { return kExitUsage; };
    });
}

}  // namespace swirl
