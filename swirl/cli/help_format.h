// swirl's help texts: CLI11's layout, with every description wrapped to the
// width of the terminal that shows it (80 columns when standard output is
// not a terminal).
//
// A description is paragraphs, one a line.  A paragraph is wrapped at blanks,
// except the examples: a line starting with "Example:" or "Examples:", and
// the indented lines after it, are commands to copy and stay whole.  The list
// of commands in `swirl --help` shows the first paragraph of each.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <string>

namespace swirl {

class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(std::size_t width);
    std::string make_description(const CLI::App* app) const override;
    std::string make_option_desc(const CLI::Option* option) const override;
    std::string make_subcommand(const CLI::App* sub) const override;

private:
    std::size_t width_;
};

// The width that help is wrapped to: the terminal's columns when standard
// output is one, else 80.
std::size_t help_width();

// A description (as above) wrapped to `width` columns, lines joined by '\n'.
std::string wrap_description(const std::string& text, std::size_t width);

}  // namespace swirl
