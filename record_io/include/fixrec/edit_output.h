// Output editing of single values where no field width is involved: the
// marker of a value that is not a finite number, and a real of list-directed
// console output.  Whole fields (E, F, I and A, with their widths, asterisks
// and markers) are rendered by fixrec/render.h: render_field, format_e,
// format_f, format_i.  Every function here takes any float.
#pragma once

#include <cstddef>
#include <string_view>

namespace fixrec {

// Marker text of a value that is not a finite number ("1#INF", "1#QNAN",
// "1#SNAN", "1#IND"); empty for a finite value.  An E or F field shows it
// followed by dots up to its width, or asterisks when the width is smaller.
std::string_view nonfinite_marker(float value);

// A real item of list-directed console output, without its 15-column padding:
// F form with 6 decimals for magnitudes 1 <= |v| < 10^7, otherwise the
// one-digit E form "d.ddddddE+xx"; the marker for a value that is not
// finite.  `out` must hold 32 bytes.
std::size_t edit_list_real(float value, char* out);
constexpr int kListRealWidth = 15;

}  // namespace fixrec
