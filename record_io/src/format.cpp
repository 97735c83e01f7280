#include "fixrec/format.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>

namespace fixrec {

namespace {

[[noreturn]] void bad_format(std::string_view src, std::size_t pos, const char* why) {
    throw std::invalid_argument("malformed format \"" + std::string(src) + "\" at position " +
                                std::to_string(pos) + ": " + why);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Format::Format(std::string_view source) : source_(source) { parse(); }

void Format::parse() {
    const std::string_view s = source_;
    std::size_t i = 0;
    auto skip_blanks = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    };
    skip_blanks();
    if (i >= s.size() || s[i] != '(') bad_format(s, i, "expected '('");
    ++i;

    // Literal texts are collected first and the views made at the end, once the
    // store no longer grows.
    std::string store;
    struct Pending {
        Descriptor desc;
        std::size_t lit_offset = 0;
        std::size_t lit_size = 0;
        int repeat = 1;
    };
    std::vector<Pending> pending;
    bool closed = false;

    while (i < s.size()) {
        skip_blanks();
        if (i >= s.size()) break;
        const char c = s[i];
        if (c == ')') {
            ++i;
            closed = true;
            break;
        }
        if (c == ',') {
            ++i;
            continue;
        }
        if (c == '/') {
            pending.push_back({Descriptor{DescKind::Slash, 0, 0, {}}, 0, 0, 1});
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') {
            const char quote = c;
            ++i;
            const std::size_t start = store.size();
            bool ended = false;
            while (i < s.size()) {
                // The text up to the next quote goes in as one piece.
                const std::size_t q = std::min(s.find(quote, i), s.size());
                store.append(s.substr(i, q - i));
                i = q;
                if (i == s.size()) break;
                if (i + 1 < s.size() && s[i + 1] == quote) {  // doubled quote
                    store.push_back(quote);
                    i += 2;
                    continue;
                }
                ++i;
                ended = true;
                break;
            }
            if (!ended) bad_format(s, i, "unterminated literal");
            pending.push_back({Descriptor{DescKind::Literal, 0, 0, {}}, start,
                               store.size() - start, 1});
            continue;
        }
        // [repeat] letter [w[.d]]
        int number = -1;
        const std::size_t num_start = i;
        while (i < s.size() && is_digit(s[i])) {
            number = (number < 0 ? 0 : number) * 10 + (s[i] - '0');
            if (number > 100000) bad_format(s, num_start, "count too large");
            ++i;
        }
        skip_blanks();
        if (i >= s.size()) bad_format(s, i, "descriptor expected");
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
        ++i;
        auto read_int = [&](int& out) {
            skip_blanks();
            if (i >= s.size() || !is_digit(s[i])) return false;
            out = 0;
            while (i < s.size() && is_digit(s[i])) {
                out = out * 10 + (s[i] - '0');
                if (out > 100000) bad_format(s, i, "width too large");
                ++i;
            }
            return true;
        };
        Pending p;
        switch (letter) {
            case 'X':
                p.desc.kind = DescKind::Skip;
                p.desc.w = number < 0 ? 1 : number;
                break;
            case 'E':
            case 'F': {
                p.desc.kind = letter == 'E' ? DescKind::E : DescKind::F;
                if (!read_int(p.desc.w) || p.desc.w == 0) bad_format(s, i, "field width expected");
                skip_blanks();
                if (i >= s.size() || s[i] != '.') bad_format(s, i, "'.d' expected");
                ++i;
                if (!read_int(p.desc.d)) bad_format(s, i, "digit count expected");
                p.repeat = number < 0 ? 1 : number;
                break;
            }
            case 'I':
                p.desc.kind = DescKind::I;
                if (!read_int(p.desc.w) || p.desc.w == 0) bad_format(s, i, "field width expected");
                p.repeat = number < 0 ? 1 : number;
                break;
            case 'A':
                p.desc.kind = DescKind::A;
                if (!read_int(p.desc.w)) p.desc.w = 0;
                p.repeat = number < 0 ? 1 : number;
                break;
            default:
                bad_format(s, i - 1, "unknown descriptor");
        }
        if (p.repeat == 0) bad_format(s, num_start, "zero repeat count");
        pending.push_back(p);
    }
    if (!closed) bad_format(s, i, "expected ')'");
    skip_blanks();
    if (i != s.size()) bad_format(s, i, "text after the closing parenthesis");

    auto shared = std::make_shared<const std::string>(std::move(store));
    literal_store_ = shared;
    std::size_t expanded = 0;
    for (const auto& p : pending) expanded += static_cast<std::size_t>(p.repeat);
    descs_.reserve(expanded);
    bool unbounded = false;
    for (const auto& p : pending) {
        Descriptor d = p.desc;
        if (d.kind == DescKind::Literal)
            d.text = std::string_view(*shared).substr(p.lit_offset, p.lit_size);
        for (int r = 0; r < p.repeat; ++r) {
            descs_.push_back(d);
            if (d.is_data()) ++data_count_;
            // A bare A takes as many characters as its destination holds,
            // which the format cannot know: keep whole records then.
            if (d.kind == DescKind::A && d.w == 0)
                unbounded = true;
            else if (d.kind == DescKind::Skip || d.is_data())
                input_extent_ += static_cast<std::size_t>(d.w);
        }
    }
    if (unbounded) input_extent_ = SIZE_MAX;
}

}  // namespace fixrec
