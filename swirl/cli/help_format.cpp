#include "help_format.h"

#include <unistd.h>

#include <algorithm>

#include "fixrec/posix.h"
#include "swirl/core/usage_text.h"

namespace swirl {

namespace {

constexpr std::size_t kNameColumn = 26;  // option and command names, then their descriptions
constexpr std::size_t kNarrowest = 40;

}  // namespace

std::size_t help_width() {
    if (const int columns = fixrec::posix::terminal_columns(STDOUT_FILENO); columns > 0)
        return std::max<std::size_t>(static_cast<std::size_t>(columns), kNarrowest);
    return 80;
}

std::string wrap_description(const std::string& text, std::size_t width) {
    std::string out;
    bool examples = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = std::string_view(text).substr(start, end - start);
        examples = line.starts_with("Example:") || line.starts_with("Examples:") ||
                   (examples && line.starts_with(" "));
        if (examples) {
            out.append(line).append("\n");
        } else {
            for (const std::string& l : wrap_words(line, width)) out.append(l).append("\n");
        }
        start = end + 1;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

// On a narrow terminal the names take a third of it, and longer ones a line of their own.
HelpFormatter::HelpFormatter(std::size_t width) : width_(width) { column_width(std::min(kNameColumn, width / 3)); }

std::string HelpFormatter::make_description(const CLI::App* app) const {
    const std::string& d = app->get_description();
    return d.empty() ? d : wrap_description(d, width_) + "\n\n";
}

std::string HelpFormatter::make_option_desc(const CLI::Option* option) const {
    return wrap_description(option->get_description(), width_ - get_column_width());
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
    const std::string& d = sub->get_description();
    const std::string first = d.substr(0, d.find('\n'));
    std::stringstream out;
    CLI::detail::format_help(out, sub->get_name(), wrap_description(first, width_ - get_column_width()),
                             get_column_width());
    return out.str();
}

}  // namespace swirl
