// The local page of a folder of data files: what each request gets, apart
// from the sockets (http_server.h carries the requests here).
//
// Every request passes the same gate before anything is read:
//   - Host must name this server: 127.0.0.1, localhost or [::1] with its
//     port (a page of another site whose name was made to resolve to the
//     loopback address is refused: 403);
//   - the token: in the query of the address printed at the start (it is
//     then set as an HttpOnly, SameSite=Strict cookie) or that cookie (403
//     without either);
//   - a request that changes something is a POST with a JSON body
//     (Content-Type application/json) and an Origin of this server (403
//     otherwise: a form of another page cannot post here);
//   - a file is named by its name in the folder only: no separator, no "..",
//     and no link that leads out of the folder (403).
// Sizes of heads and bodies are bounded by the HTTP layer (413).
//
// The endpoints (JSON unless said; values as `swirl show --json` gives them):
//   GET  /                 the page (HTML; app.js, app.css beside it)
//   GET  /api/files        the folder's data files by program, with read failures
//   GET  /api/file?name=F  {name, version, show: the show --json document}
//   POST /api/compute      {name, values: {NAME: "typed"}}: each value as its
//                          field holds it, and the show document of the file
//                          those values make (nothing written)
//   POST /api/save         {name, version, values}: written as swirl set writes
//                          them; 409 when the file changed since `version`
//   POST /api/new          {program, name}: the program's example to a new file
//   POST /api/plot         {name, values, x, from, to, count, log, y}: the SVG of
//                          swirl plot over a sweep; {name, values} alone: ZARN1's
//                          radial profiles
//   POST /api/solve        {name, values, find: "Q=LO:HI[:log]", target: "HO=0.2",
//                          scan}: what swirl solve --json prints for the file
//                          those values make
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace swirl::serve {

struct Request {
    std::string method;  // GET, POST, ...
    std::string target;  // path and query, as sent
    std::map<std::string, std::string> headers;  // names lower case
    std::string body;
};

struct Response {
    int status = 200;
    std::string content_type = "application/json";
    std::string body;
    std::map<std::string, std::string> headers;  // besides Content-Type
};

class Site {
public:
    // `dir`: the folder served; `program`: the --program option for files
    // whose program their name and banner do not tell; `token`: the secret
    // of the address.
    Site(std::string dir, std::optional<std::string> program, std::string token);

    // Set once the listening port is known: Host and Origin name it.
    void set_port(unsigned port) { port_ = port; }
    unsigned port() const { return port_; }
    const std::string& token() const { return token_; }

    // The answer to one request; never throws.
    Response handle(const Request& request);

private:
    Response route(const Request& request, const std::string& path, const std::string& query);

    std::string dir_;
    std::optional<std::string> program_;
    std::string token_;
    unsigned port_ = 0;
    std::mutex saving_;  // one save or new file at a time: the check and the write are one step
};

// A new token: 32 hexadecimal digits (128 bits) from the system's random source.
std::string new_token();

}  // namespace swirl::serve
