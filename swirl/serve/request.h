// The pieces of a request that the gate of the local page reads (site.h):
// headers by lower-case name, the query's values, the cookies; the token of
// the address and a comparison that takes the same time for any guess.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "swirl/serve/site.h"

namespace swirl::serve {

// ASCII letters in lower case.
std::string lower(std::string s);

// The header of that (lower-case) name; null when the request has none.
const std::string* header(const Request& request, const std::string& name);

// %XX and '+' of a query decoded; a malformed escape stays as it is.
std::string url_decode(std::string_view s);

// The decoded value of `key` in a query ("a=1&b=2"); none when absent.
std::optional<std::string> query_value(std::string_view query, std::string_view key);

// The value of the cookie `name`; none when the request does not carry it.
std::optional<std::string> cookie_value(const Request& request, std::string_view name);

// Whether a guess is the secret, in a time that does not tell how much of it
// was right.
bool same_secret(std::string_view a, std::string_view b);

}  // namespace swirl::serve
