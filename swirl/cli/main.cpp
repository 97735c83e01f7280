// swirl: the companion command of the three calculators.  Data files by name
// (show, set, new, edit, run) over the programs' own reading rules,
// computation and report; each command lives in a file of its own.
#include <cstdio>
#include <iostream>

#include "command.h"
#include "fixrec/posix.h"
#include "help_format.h"
#include "swirl/core/usage_text.h"
#include "swirl_build_info.h"

namespace swirl {

void add_program_option(CLI::App& command, std::optional<std::string>& program) {
    command.add_option("--program", program,
                       "BILM, KERVA or ZARN1 (any case); else told by the file's name or its report banner");
}

namespace {

// The names a mistyped option of `command` may have meant: its own options
// and the help flag.
std::vector<std::string> option_names(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::Option* opt : command.get_options()) {
        for (const std::string& n : opt->get_lnames()) names.push_back("--" + n);
        for (const std::string& n : opt->get_snames()) names.push_back("-" + n);
    }
    return names;
}

std::string unknown_option(const CLI::App& command, const std::string& arg, const std::string& see) {
    const std::string word = arg.substr(0, arg.find('='));
    const std::string hint = did_you_mean(word, option_names(command));
    return "unknown option " + word + (hint.empty() ? "" : " (" + hint + ")") + "; see " + see;
}

std::string no_command(const CLI::App& app, const std::vector<std::string>& left) {
    std::vector<std::string> names;
    std::string commands;
    for (const CLI::App* sub : app.get_subcommands({})) {
        names.push_back(sub->get_name());
        commands += (commands.empty() ? "" : ", ") + sub->get_name();
    }
    if (left.empty()) return "a command is required (one of " + commands + "); see swirl --help";
    if (left.front().starts_with("-")) return unknown_option(app, left.front(), "swirl --help");
    std::string hint = left.front() == "help" ? "did you mean swirl --help?" : did_you_mean(left.front(), names);
    // A data file named where the command goes: the command to show it.
    if (hint.empty() && fixrec::posix::exists(left.front().c_str())) hint = "did you mean swirl show " + left.front() + "?";
    return "unknown command " + left.front() + " (" + (hint.empty() ? "" : hint + " ") + "one of " + commands +
           "); see swirl --help";
}

// One line for a command line that does not parse, with the nearest name
// where a name was mistyped.  The parser checks what is missing before what
// is left over, so an unknown command reads "a subcommand is required" and a
// FILE named "-x.dat" reads "FILE is required": the argument left over is
// named instead.
std::string parse_failure(const CLI::App& app, const CLI::ParseError& e) {
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    if (chosen.empty()) return no_command(app, app.remaining());
    const CLI::App& command = *chosen.front();
    const std::string see = "swirl " + command.get_name() + " --help";
    const std::vector<std::string> left = command.remaining();
    const bool dash = !left.empty() && left.front().starts_with("-");
    if (dash && dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
        const std::string hint = did_you_mean(left.front().substr(0, left.front().find('=')), option_names(command));
        return "unknown option " + left.front() + " (" + (hint.empty() ? "" : hint + " ") +
               "a file whose name starts with '-' goes after --: swirl " + command.get_name() + " -- " +
               left.front() + "); see " + see;
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && !left.empty())
        return dash ? unknown_option(command, left.front(), see)
                    : "unexpected argument " + left.front() + "; see " + see;
    std::string message = e.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr && message.find("missing") != std::string::npos)
        message = message.substr(0, message.find(':')) + " needs a value";
    for (char& c : message)
        if (c == '\n') c = ' ';
    // CLI11's sentences ("The following ...") start lower case, names (FILE) stay.
    if (message.size() > 1 && message[0] >= 'A' && message[0] <= 'Z' && message[1] >= 'a' && message[1] <= 'z')
        message[0] = static_cast<char>(message[0] - 'A' + 'a');
    return message + "; see " + see;
}

int run_swirl(int argc, char** argv) {
    CLI::App app{"swirl: data files of the swirl calculators (BILM, KERVA, ZARN1) by name, in UTF-8.\n"
                 "Examples:\n"
                 "  swirl new BILM tank7.dat\n"
                 "  swirl show tank7.dat"};
    app.name("swirl");  // usage lines say "swirl", not the path it was started by
    app.formatter(std::make_shared<HelpFormatter>(help_width()));
    app.set_version_flag("--version", std::string("swirl ") + kSwirlVersion);
    app.require_subcommand(1);
    Action action;
    add_show(app, action);
    add_set(app, action);
    add_new(app, action);
    add_edit(app, action);
    add_run(app, action);
    add_sweep(app, action);
    add_sample(app, action);
    add_summary(app, action);
    add_sensitivity(app, action);
    add_merge(app, action);
    add_plot(app, action);
    add_fields(app, action);
    add_solve(app, action);
    add_optimize(app, action);
    add_serve(app, action);
    app.footer("swirl COMMAND --help: the command's options and examples.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version exit 0; any other parse failure is a usage error.
        if (e.get_exit_code() == 0) return app.exit(e);
        throw UsageError(parse_failure(app, e));
    }
    const int code = action ? action() : kExitUsage;
    // What a command shows is its result: output that did not arrive (a full
    // disk, a closed pipe) is a failure, not a silent success.
    if (!std::cout.flush())
        throw CommandFailure(kExitNotWritten, "cannot write standard output");
    return code;
}

}  // namespace
}  // namespace swirl

int main(int argc, char** argv) {
    try {
        return swirl::run_swirl(argc, argv);
    } catch (const swirl::UsageError& e) {
        std::cerr << "swirl: " << e.what() << '\n';
        return swirl::kExitUsage;
    } catch (const swirl::CommandFailure& e) {
        std::cerr << "swirl: " << e.what() << '\n';
        return e.code();
    } catch (const std::exception& e) {
        std::cerr << "swirl: " << e.what() << '\n';
        return swirl::kExitNotWritten;
    }
}
