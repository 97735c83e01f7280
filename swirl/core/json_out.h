// JSON text whose numbers read back to exactly the floats the calculators
// computed.
//
// Every named quantity of the suite is a float.  Stored in a JSON document it
// becomes a double holding exactly that float, and nlohmann's serializer
// prints such a double with the digits a double needs (0.1f comes out as
// 0.10000000149011612), not the shortest decimal of the float.  dump_json()
// prints the document as nlohmann does (structure, indentation, string
// escaping) except for floating-point numbers:
//
//   - a double that is exactly a float f is written as shortest(f), the
//     shortest decimal that reads back to f: 0.1f -> 0.1;
//   - any other finite double is written as its own shortest decimal, so it
//     too reads back exactly;
//   - a value with neither point nor exponent gets ".0" (1.0f -> 1.0,
//     -0.0f -> -0.0), as nlohmann writes it, so that it reads back as a
//     floating-point number and keeps the sign of zero;
//   - infinities and NaN, which JSON cannot hold, are written as null.
//
// indent < 0 gives the compact form; otherwise members go on lines of their
// own, indented by `indent` spaces a level.  Strings are escaped by nlohmann
// (quotes, backslashes and control characters; other UTF-8 passes through),
// and bytes that are not valid UTF-8 become U+FFFD instead of an exception.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace swirl {

std::string dump_json(const nlohmann::ordered_json& document, int indent = 2);

}  // namespace swirl
