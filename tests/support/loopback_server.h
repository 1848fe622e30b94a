#pragma once
// In-process HTTP servers on 127.0.0.1 for tests and benchmarks; nothing here ever leaves loopback.
//
// LoopbackServer: a cpp-httplib server on a free port. Register handlers on http(), then start();
// every request is recorded once its handler has run, before the answer goes out (the recording
// uses the post-routing handler, so leave that one alone).
// RawHttpServer: a plain socket server that records each request byte for byte and answers with
// scripted bytes, for exact header text, answers cut short and servers that never answer.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace melkora::test {

struct RecordedRequest {
    std::string method;
    std::string target;  // path and query exactly as they arrived
    httplib::Headers headers;
    std::string body;

    std::string header(const std::string& name) const;  // empty when absent
};

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& http() { return server_; }
    void start();  // returns once the server accepts connections
    int port() const { return port_; }
    std::string url(std::string_view path_and_query = "/") const;

    std::vector<RecordedRequest> requests() const;
    RecordedRequest last_request() const;  // an empty record when none arrived

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
};

struct RawReply {
    std::string bytes;       // written as they are, then the connection is closed...
    bool hold_open = false;  // ...unless it is held open, silent, until the server stops
};

class RawHttpServer {
public:
    using Script = std::function<RawReply(const std::string& raw_request)>;
    explicit RawHttpServer(Script script);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path_and_query = "/") const;

    std::vector<std::string> requests() const;  // each request's head and body, byte for byte
    std::string last_request() const;           // empty when none arrived

    // A complete answer: status line, the given header lines, Content-Length and the body.
    static std::string answer(std::string_view status, std::string_view body, std::string_view header_lines = "");

private:
    void serve();
    void handle(int connection);
    bool read_request(int connection, std::string& request);
    bool wait_readable(int fd) const;  // false once the server is stopping

    Script script_;
    int listener_ = -1;
    int stop_fds_[2] = {-1, -1};
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

// The head of a raw request: everything before the blank line, request line included.
std::string request_head(const std::string& raw_request);
// The body of a raw request: everything after the blank line; empty when there is none.
std::string request_body(const std::string& raw_request);
// The Host line a client sends to this server, CR LF included.
std::string host_line(const RawHttpServer& server);
// A port on 127.0.0.1 that nothing listens on.
int closed_port();

}  // namespace melkora::test
