// HTTP/1.1 for the local page over Boost.Beast: one session a connection,
// asynchronous reads and writes on a pool of threads, each request answered
// by the Site on the thread that read it.
#include "swirl/serve/http_server.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include "swirl/api/failure.h"

namespace swirl::serve {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using beast::error_code;

constexpr std::chrono::seconds kIdle{30};

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, Site& site) : stream_(std::move(socket)), site_(site) {}

    void start() {
        asio::dispatch(stream_.get_executor(), beast::bind_front_handler(&Session::read, shared_from_this()));
    }

private:
    void read() {
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(HttpServer::kHeadLimit));
        parser_->body_limit(HttpServer::kBodyLimit);
        stream_.expires_after(kIdle);
        http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&Session::on_read, shared_from_this()));
    }

    void on_read(error_code ec, std::size_t) {
        if (ec == http::error::header_limit || ec == http::error::body_limit) {
            Response r;
            r.status = 413;
            r.body = "{\n  \"error\": \"the request is too large\"\n}\n";
            draining_ = true;
            return write(r, false);
        }
        if (ec) return close();
        const http::request<http::string_body>& in = parser_->get();
        Request request;
        request.method = std::string(in.method_string());
        request.target = std::string(in.target());
        for (const auto& field : in) {
            std::string name(field.name_string());
            for (char& c : name)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            // A repeated header counts as its first occurrence.
            request.headers.emplace(std::move(name), std::string(field.value()));
        }
        request.body = in.body();
        const Response r = site_.handle(request);
        write(r, in.keep_alive(), in.method() == http::verb::head);
    }

    void write(const Response& r, bool keep_alive, bool head = false) {
        auto out = std::make_shared<http::response<http::string_body>>();
        out->version(11);
        out->result(static_cast<unsigned>(r.status));
        out->set(http::field::server, "swirl");
        out->set(http::field::content_type, r.content_type + (r.content_type.starts_with("image/") ? "" : "; charset=utf-8"));
        for (const auto& [name, value] : r.headers) out->set(name, value);
        out->keep_alive(keep_alive);
        out->body() = r.body;
        out->prepare_payload();
        if (head) out->body().clear();
        response_ = out;
        http::async_write(stream_, *out,
                          [self = shared_from_this(), keep_alive](error_code ec, std::size_t) {
                              if (!ec && self->draining_) return self->drain();
                              if (ec || !keep_alive) return self->close();
                              self->read();
                          });
    }

    // After a refusal of a request too large, what the client still sends
    // is read and dropped (a bounded amount, for a bounded time) before the
    // connection closes: closed with data unread, the connection would be
    // reset and the client would lose the answer.
    void drain() {
        if (drained_ == 0) {
            close();
            stream_.expires_after(std::chrono::seconds(5));
        }
        if (drained_ > 8 * HttpServer::kBodyLimit) return;
        stream_.async_read_some(asio::buffer(scrap_), [self = shared_from_this()](error_code ec, std::size_t n) {
            self->drained_ += n + 1;
            if (!ec) self->drain();
        });
    }

    void close() {
        error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    }

    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::shared_ptr<void> response_;
    bool draining_ = false;
    std::size_t drained_ = 0;
    char scrap_[16 * 1024];
    Site& site_;
};

}  // namespace

struct HttpServer::State {
    Site& site;
    asio::io_context io;
    std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
    asio::signal_set signals{io};
    unsigned port = 0;

    explicit State(Site& s) : site(s) {}

    void accept(tcp::acceptor& acceptor) {
        acceptor.async_accept(asio::make_strand(io), [this, &acceptor](error_code ec, tcp::socket socket) {
            if (!acceptor.is_open()) return;
            if (!ec) std::make_shared<Session>(std::move(socket), site)->start();
            accept(acceptor);
        });
    }

    // Listens on one loopback address; false when it cannot.
    bool listen(const asio::ip::address& address, unsigned on, error_code& ec) {
        auto acceptor = std::make_unique<tcp::acceptor>(io);
        const tcp::endpoint endpoint(address, static_cast<unsigned short>(on));
        acceptor->open(endpoint.protocol(), ec);
        if (ec) return false;
        acceptor->set_option(asio::socket_base::reuse_address(true), ec);
        if (address.is_v6()) acceptor->set_option(asio::ip::v6_only(true), ec);
        acceptor->bind(endpoint, ec);
        if (ec) return false;
        acceptor->listen(asio::socket_base::max_listen_connections, ec);
        if (ec) return false;
        port = acceptor->local_endpoint().port();
        acceptors.push_back(std::move(acceptor));
        return true;
    }

    void close() {
        error_code ignored;
        for (auto& a : acceptors) a->close(ignored);
        signals.cancel(ignored);
        io.stop();
    }
};

HttpServer::HttpServer(Site& site, unsigned port) : s_(std::make_unique<State>(site)) {
    error_code ec;
    if (!s_->listen(asio::ip::address_v4::loopback(), port, ec))
        throw Failure(calculators::kExitNotWritten, "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + ec.message());
    // ::1 on the same port, where the machine has IPv6.
    error_code v6;
    const unsigned chosen = s_->port;
    s_->listen(asio::ip::address_v6::loopback(), chosen, v6);
    s_->port = chosen;
    site.set_port(chosen);
    // From here a Ctrl-C stops the server instead of ending the process.
    s_->signals.add(SIGINT);
    s_->signals.add(SIGTERM);
}

HttpServer::~HttpServer() = default;

unsigned HttpServer::port() const { return s_->port; }

void HttpServer::run(unsigned threads) {
    for (auto& a : s_->acceptors) s_->accept(*a);
    s_->signals.async_wait([this](error_code ec, int) {
        if (!ec) s_->close();
    });
    if (threads == 0) threads = std::max(2u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned i = 1; i < threads; ++i) pool.emplace_back([this] { s_->io.run(); });
    s_->io.run();
    for (std::thread& t : pool) t.join();
}

void HttpServer::stop() {
    asio::post(s_->io, [this] { s_->close(); });
}

}  // namespace swirl::serve
