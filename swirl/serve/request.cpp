// The pieces of a request the gate of the local page reads: the query, the
// cookies, the headers; the token and its comparison.
#include "swirl/serve/request.h"

#include <sys/random.h>

#include <cerrno>
#include <stdexcept>

namespace swirl::serve {

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

const std::string* header(const Request& request, const std::string& name) {
    const auto it = request.headers.find(name);
    return it == request.headers.end() ? nullptr : &it->second;
}

// %XX and '+' of a query decoded; a malformed escape stays as it is.
std::string url_decode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() + 0 && hex_digit(s[i + 1]) >= 0 && hex_digit(s[i + 2]) >= 0) {
            out += static_cast<char>(hex_digit(s[i + 1]) * 16 + hex_digit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::optional<std::string> query_value(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (url_decode(pair.substr(0, eq)) == key)
            return eq == std::string_view::npos ? std::string() : url_decode(pair.substr(eq + 1));
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return std::nullopt;
}

std::optional<std::string> cookie_value(const Request& request, std::string_view name) {
    const std::string* cookies = header(request, "cookie");
    if (cookies == nullptr) return std::nullopt;
    std::string_view rest = *cookies;
    while (!rest.empty()) {
        const std::size_t semi = rest.find(';');
        std::string_view pair = rest.substr(0, semi);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        const std::size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == name) return std::string(pair.substr(eq + 1));
        if (semi == std::string_view::npos) break;
        rest.remove_prefix(semi + 1);
    }
    return std::nullopt;
}

// Compares in a time that does not tell how much of a guess was right.
bool same_secret(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::string new_token() {
    unsigned char bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("cannot read the system's random source (getrandom)");
        got += static_cast<std::size_t>(n);
    }
    std::string token;
    for (const unsigned char b : bytes) {
        token += "0123456789abcdef"[b >> 4];
        token += "0123456789abcdef"[b & 15];
    }
    return token;
}

}  // namespace swirl::serve
