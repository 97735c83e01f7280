// The input records of a data file's bytes in memory, as an input statement
// sees them: a record runs up to and including the next LF, and its usable
// text ends at its first CR (or at the LF), so CR LF and LF alone read alike.
// A last line without an LF is a record; bytes that end with an LF hold no
// record after it, and no bytes at all hold none.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace fixrec {

struct InputRecord {
    std::size_t start = 0;  // offset of the record's first byte
    std::string_view text;  // its usable text
    std::size_t next = 0;   // offset after its LF: where the next record starts (or the end of the bytes)
};

// The record that starts at `at`; none when `at` is at or past the end.
constexpr std::optional<InputRecord> record_at(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) return std::nullopt;
    const std::size_t lf = bytes.find('\n', at);
    const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view text = bytes.substr(at, end - at);
    text = text.substr(0, text.find('\r'));
    return InputRecord{at, text, lf == std::string_view::npos ? bytes.size() : lf + 1};
}

// Record `line` (1-based); none when the bytes end before it.
constexpr std::optional<InputRecord> find_record(std::string_view bytes, int line) {
    std::optional<InputRecord> r = record_at(bytes, 0);
    for (int k = 1; r && k < line; ++k) r = record_at(bytes, r->next);
    return r;
}

}  // namespace fixrec
