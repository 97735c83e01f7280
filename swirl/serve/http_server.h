// The sockets of the local page: HTTP/1.1 on the loopback addresses only
// (127.0.0.1, and ::1 where the machine has it), each request handed to a
// Site, many connections at once on a few threads.
//
// A head larger than kHeadLimit or a body larger than kBodyLimit is answered
// 413 and the connection closed; a connection idle for 30 s is closed.
// stop() (or SIGINT / SIGTERM while run() runs) closes the listening sockets
// and lets every request already being answered finish: a save in progress
// is written whole.
#pragma once

#include <cstddef>
#include <memory>

#include "swirl/serve/site.h"

namespace swirl::serve {

class HttpServer {
public:
    static constexpr std::size_t kHeadLimit = 16 * 1024;
    static constexpr std::size_t kBodyLimit = 1024 * 1024;

    // Listens on `port` (0: a free one the system picks); Failure exit 1
    // when the port cannot be had.  The Site learns the port.
    HttpServer(Site& site, unsigned port);
    ~HttpServer();

    unsigned port() const;

    // Answers requests with `threads` threads (0: one per core, at least
    // two) until stop() or a SIGINT or SIGTERM.
    void run(unsigned threads);
    void stop();

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace swirl::serve
