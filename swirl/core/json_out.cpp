#include "swirl/core/json_out.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "swirl/core/numbers.h"

namespace swirl {

namespace {

using Json = nlohmann::ordered_json;

std::string float_text(double v) {
    if (!std::isfinite(v)) return "null";
    std::string text;
    const bool in_float_range = std::fabs(v) <= std::numeric_limits<float>::max();
    if (in_float_range && static_cast<double>(static_cast<float>(v)) == v) {
        text = shortest(static_cast<float>(v));
    } else {
        char buf[32];
        text.assign(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    }
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

// A scalar (or an empty container) as nlohmann prints it.
std::string scalar_text(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void write(const Json& j, int indent, int depth, std::string& out) {
    const bool object = j.is_object();
    if ((!object && !j.is_array()) || j.empty()) {
        out += j.is_number_float() ? float_text(j.get<double>()) : scalar_text(j);
        return;
    }
    const auto newline = [&](int level) {
        if (indent < 0) return;
        out += '\n';
        out.append(static_cast<std::size_t>(indent) * static_cast<std::size_t>(level), ' ');
    };
    out += object ? '{' : '[';
    bool first = true;
    for (auto it = j.begin(); it != j.end(); ++it) {
        if (!first) out += ',';
        first = false;
        newline(depth + 1);
        if (object) {
            out += scalar_text(Json(it.key()));
            out += indent < 0 ? ":" : ": ";
        }
        write(*it, indent, depth + 1, out);
    }
    newline(depth);
    out += object ? '}' : ']';
}

}  // namespace

std::string dump_json(const nlohmann::ordered_json& document, int indent) {
    std::string out;
    write(document, indent, 0, out);
    return out;
}

}  // namespace swirl
