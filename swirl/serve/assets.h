// The page itself, built into the program: no resource comes from anywhere
// else, so the page works offline and its Content-Security-Policy can name
// its own origin only.
#pragma once

#include <string_view>

namespace swirl::serve {

struct Asset {
    std::string_view content_type;
    std::string_view body;
};

Asset index_html();
Asset app_js();
Asset app_css();

}  // namespace swirl::serve
