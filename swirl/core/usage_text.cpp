#include "swirl/core/usage_text.h"

#include <algorithm>
#include <limits>

#include "fixrec/ascii.h"
#include "fixrec/utf8.h"

namespace swirl {

namespace {

// Characters that a reader takes for one another: half an edit.
bool look_alike(char a, char b) {
    auto in = [](char c, std::string_view set) { return set.find(c) != std::string_view::npos; };
    return (in(a, "0o") && in(b, "0o")) || (in(a, "1il") && in(b, "1il"));
}

std::string_view without_dashes(std::string_view s) {
    while (!s.empty() && s.front() == '-') s.remove_prefix(1);
    return s;
}

// Edits from a to b in halves (optimal string alignment), both lower case.
int half_edits(std::string_view a, std::string_view b) {
    const std::size_t n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(2 * i);
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(2 * j);
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            const int change = a[i - 1] == b[j - 1] ? 0 : look_alike(a[i - 1], b[j - 1]) ? 1 : 2;
            d[i][j] = std::min({d[i - 1][j] + 2, d[i][j - 1] + 2, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 2);
        }
    return d[n][m];
}

std::string lowered(std::string_view s) {
    std::string o(s);
    std::transform(o.begin(), o.end(), o.begin(), fixrec::ascii_lower);
    return o;
}

}  // namespace

std::string nearest_name(std::string_view word, const std::vector<std::string>& candidates) {
    const std::string w = lowered(word);
    const auto length = static_cast<int>(without_dashes(w).size());
    // In halves: one edit in three characters, at least one, fewer than the word has.
    const int allowed = std::min(2 * std::max(1, length / 3), 2 * length - 1);
    int best = std::numeric_limits<int>::max();
    std::string found;
    bool tie = false;
    for (const std::string& c : candidates) {
        const std::string lc = lowered(c);
        if (lc == w) return c;
        const int e = half_edits(w, lc);
        if (e < best) {
            best = e, found = c, tie = false;
        } else if (e == best && lc != lowered(found)) {
            tie = true;
        }
    }
    return best <= allowed && !tie ? found : std::string();
}

std::string did_you_mean(std::string_view word, const std::vector<std::string>& candidates) {
    const std::string n = nearest_name(word, candidates);
    return n.empty() ? n : "did you mean " + n + "?";
}

std::size_t text_columns(std::string_view text) { return fixrec::utf8::count_shown(text); }

std::vector<std::string> wrap_words(std::string_view paragraph, std::size_t width) {
    std::vector<std::string> lines(1);
    std::size_t i = 0;
    while (i < paragraph.size()) {
        if (paragraph[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t end = std::min(paragraph.find(' ', i), paragraph.size());
        const std::string_view word = paragraph.substr(i, end - i);
        std::string& line = lines.back();
        if (line.empty()) {
            line = word;
        } else if (text_columns(line) + 1 + text_columns(word) <= width) {
            line.append(" ").append(word);
        } else {
            lines.emplace_back(word);
        }
        i = end;
    }
    return lines;
}

}  // namespace swirl
