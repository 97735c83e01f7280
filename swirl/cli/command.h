// The commands of swirl share these: how a command ends with an exit code and
// a one-line message, and how one is registered.
//
// Exit codes (the programs' own, calculators/exit_code.h):
//   0   done
//   1   a file could not be written
//   2   FILE could not be opened, or its input section could not be read (or
//       would be read from the wrong lines: set and edit do not write it)
//   3   the inputs make the computation invalid
//   4   a solve or an optimisation finds no solution in its range
//   64  a command line that cannot be accepted; nothing was written
//
// Standard output carries what a command shows, in UTF-8; standard error the
// one-line messages of a failure, each starting with "swirl: ".
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "calculators/exit_code.h"
#include "swirl/api/failure.h"
#include "swirl/core/usage_error.h"
#include "swirl/model/model.h"

namespace swirl {

// The exit codes of every program (calculators/exit_code.h).
using calculators::kExitInvalidArithmetic;
using calculators::kExitNoSolution;
using calculators::kExitNotWritten;
using calculators::kExitOk;
using calculators::kExitUnreadable;
using calculators::kExitUsage;

// A command that ends early: the message (UTF-8, one line) goes to standard
// error after "swirl: ", and the process ends with `code`.  A usage error
// (exit 64) is a UsageError.
using CommandFailure = Failure;

// Adds the --program option to a command.
void add_program_option(CLI::App& command, std::optional<std::string>& program);

// A command's action, set by the parser when the command is chosen; returns
// the exit code.
using Action = std::function<int()>;

// Each command adds itself to the application (swirl/cli/<command>.cpp) and,
// when it is the one chosen, sets `action`.
void add_show(CLI::App& app, Action& action);
void add_set(CLI::App& app, Action& action);
void add_new(CLI::App& app, Action& action);
void add_edit(CLI::App& app, Action& action);
void add_run(CLI::App& app, Action& action);
void add_sweep(CLI::App& app, Action& action);
void add_merge(CLI::App& app, Action& action);
void add_plot(CLI::App& app, Action& action);
void add_fields(CLI::App& app, Action& action);
void add_sample(CLI::App& app, Action& action);
void add_summary(CLI::App& app, Action& action);
void add_sensitivity(CLI::App& app, Action& action);
void add_solve(CLI::App& app, Action& action);
void add_optimize(CLI::App& app, Action& action);
void add_serve(CLI::App& app, Action& action);

}  // namespace swirl
