// Texts of the command line: the nearest of a few names to a mistyped one,
// and prose wrapped to a terminal's width.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace swirl {

// The candidate nearest to `word` (ignoring case, counting an insertion, a
// deletion, a substitution or a swap of neighbours as one edit, and a
// look-alike 0/O or 1/I/l as half of one) when it is near enough to be a
// typing slip: at most one edit in three characters, and fewer edits than
// `word` has characters; empty when none is, or when two are equally near.
// Leading dashes take no part in the count ("--jsn" is three characters).
std::string nearest_name(std::string_view word, const std::vector<std::string>& candidates);

// "did you mean X?" for the nearest name, else empty; for messages such as
// "BILM has no input upd (did you mean UPOD? its inputs: ...)".
std::string did_you_mean(std::string_view word, const std::vector<std::string>& candidates);

// The number of characters (code points) of UTF-8 text, as a terminal shows
// it: a byte that is not UTF-8 counts one (fixrec::utf8::count_shown).
std::size_t text_columns(std::string_view text);

// One paragraph broken at blanks into lines of at most `width` characters;
// a word longer than that stays whole on a line of its own.  Runs of blanks
// between words become one; an empty paragraph gives one empty line.
std::vector<std::string> wrap_words(std::string_view paragraph, std::size_t width);

}  // namespace swirl
