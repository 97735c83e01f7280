#include "text_table.h"

#include <algorithm>

#include "swirl/core/usage_text.h"

namespace swirl {

std::string aligned(const std::vector<std::vector<std::string>>& rows, std::string_view align) {
    std::vector<std::size_t> widths(align.size(), 0);
    for (const auto& row : rows)
        for (std::size_t k = 0; k < row.size(); ++k) widths[k] = std::max(widths[k], text_columns(row[k]));
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t k = 0; k < row.size(); ++k) {
            const std::string pad(widths[k] - text_columns(row[k]), ' ');
            if (k > 0) line += "  ";
            line += align[k] == 'r' ? pad + row[k] : row[k] + pad;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + '\n';
    }
    return out;
}

std::string markdown_row(const std::vector<std::string>& cells) {
    std::string line = "|";
    for (const std::string& c : cells) line += " " + c + " |";
    return line + '\n';
}

}  // namespace swirl
