// Rendering without a unit: the bytes an output statement would produce.
//
// These functions use no state of the run, so several threads may call them
// at once.  The output statements of the library render with the same code:
// what these return is what a file or the console receives.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "fixrec/format.h"
#include "fixrec/items.h"

namespace fixrec {

// Appends the field that `item` gives under the data descriptor `d`: E, F
// and I fields right-justified in w columns (asterisks when the number does
// not fit, a marker such as "1#INF" and dots for a value that is not a
// finite number), A fields as the text in w columns (its first w characters
// when longer; the text's own length for a bare A).  Throws
// std::invalid_argument when the item does not suit the descriptor.
void render_field(const Descriptor& d, const Item& item, std::string& out);

// Appends the records that one formatted output statement writes into a
// file: each record ends with CR LF.
void render_record(FormatView format, std::span<const Item> items, std::string& out);
inline void render_record(FormatView format, std::initializer_list<Item> items, std::string& out) {
    render_record(format, std::span<const Item>(items.begin(), items.size()), out);
}

// Appends the text of the record that one list-directed console statement
// makes of `items` (texts as they are, numbers in 15-column fields), without
// its carriage-control blank and without a line end.
void render_console_record(std::span<const Item> items, std::string& out);

// The bytes the console sends before a record, chosen by the record's first
// character (its carriage control, which is not shown):
//   '0'  an empty line first: CR LF, or CR LF CR LF after an earlier record
//   '1'  a new page: CR LF, form feed, CR, blank, CR
//   '+'  over the previous line: CR
//   any other character, blank included, a new line: CR LF, or nothing
//        before the first record of the run
// `first`: no console record before this one in the run.
std::string_view carriage_control(char control, bool first);

// One field of width w, as a report shows it.
std::string format_e(float value, int w, int d);
std::string format_f(float value, int w, int d);
std::string format_i(std::int32_t value, int w);

}  // namespace fixrec
