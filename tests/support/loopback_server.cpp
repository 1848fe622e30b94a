#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace melkora::test {

namespace {

constexpr auto k_start_deadline = std::chrono::seconds(10);

std::string loopback_url(int port, std::string_view path_and_query) {
    return "http://127.0.0.1:" + std::to_string(port) + std::string(path_and_query);
}

// Content-Length of a request head, 0 when it has none.
std::size_t announced_length(std::string_view head) {
    std::string lower(head);
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

}  // namespace

std::string RecordedRequest::header(const std::string& name) const {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
}

LoopbackServer::LoopbackServer() {
    server_.set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        const std::lock_guard lock(mutex_);
        requests_.push_back({request.method, request.target, request.headers, request.body});
    });
}

LoopbackServer::~LoopbackServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
}

void LoopbackServer::start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("loopback server: no free port on 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // Stopping before the accept loop runs would leave it running; wait until it is up.
    const auto deadline = std::chrono::steady_clock::now() + k_start_deadline;
    while (!server_.is_running()) {
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("loopback server did not start");
        std::this_thread::yield();
    }
}

std::string LoopbackServer::url(std::string_view path_and_query) const { return loopback_url(port_, path_and_query); }

std::vector<RecordedRequest> LoopbackServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

RecordedRequest LoopbackServer::last_request() const {
    const std::lock_guard lock(mutex_);
    return requests_.empty() ? RecordedRequest{} : requests_.back();
}

RawHttpServer::RawHttpServer(Script script) : script_(std::move(script)) {
    if (pipe2(stop_fds_, O_CLOEXEC) != 0) throw std::runtime_error("raw server: no pipe");
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (listener_ < 0 || bind(listener_, generic, size) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, generic, &size) != 0) {
        throw std::runtime_error("raw server: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

RawHttpServer::~RawHttpServer() {
    const char stop = 's';
    if (write(stop_fds_[1], &stop, 1) != 1) std::abort();
    thread_.join();
    close(listener_);
    close(stop_fds_[0]);
    close(stop_fds_[1]);
}

std::string RawHttpServer::url(std::string_view path_and_query) const { return loopback_url(port_, path_and_query); }

std::vector<std::string> RawHttpServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

std::string RawHttpServer::last_request() const {
    const std::lock_guard lock(mutex_);
    return requests_.empty() ? std::string() : requests_.back();
}

std::string RawHttpServer::answer(std::string_view status, std::string_view body, std::string_view header_lines) {
    std::string reply = "HTTP/1.1 " + std::string(status) + "\r\n" + std::string(header_lines);
    reply += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    return reply.append(body);
}

bool RawHttpServer::wait_readable(int fd) const {
    pollfd watched[2] = {{fd, POLLIN, 0}, {stop_fds_[0], POLLIN, 0}};
    while (poll(watched, 2, -1) < 0) {
    }
    return (watched[1].revents & POLLIN) == 0;
}

void RawHttpServer::serve() {
    while (wait_readable(listener_)) {
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        handle(connection);
        close(connection);
    }
}

bool RawHttpServer::read_request(int connection, std::string& request) {
    char buffer[4096];
    std::size_t wanted = std::string::npos;
    while (wanted == std::string::npos || request.size() < wanted) {
        if (!wait_readable(connection)) return false;
        const ssize_t got = recv(connection, buffer, sizeof(buffer), 0);
        if (got <= 0) return !request.empty();
        request.append(buffer, static_cast<std::size_t>(got));
        const auto head_end = request.find("\r\n\r\n");
        if (wanted == std::string::npos && head_end != std::string::npos) {
            wanted = head_end + 4 + announced_length(std::string_view(request).substr(0, head_end + 2));
        }
    }
    return true;
}

void RawHttpServer::handle(int connection) {
    std::string request;
    if (!read_request(connection, request)) return;
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const RawReply reply = script_(request);
    std::size_t sent = 0;
    while (sent < reply.bytes.size()) {
        const ssize_t put = send(connection, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) return;
        sent += static_cast<std::size_t>(put);
    }
    if (reply.hold_open) {
        pollfd stop{stop_fds_[0], POLLIN, 0};
        while (poll(&stop, 1, -1) < 0) {
        }
        return;
    }
    shutdown(connection, SHUT_WR);
}

std::string request_head(const std::string& raw_request) {
    const auto end = raw_request.find("\r\n\r\n");
    return end == std::string::npos ? raw_request : raw_request.substr(0, end + 2);
}

std::string request_body(const std::string& raw_request) {
    const auto end = raw_request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : raw_request.substr(end + 4);
}

std::string host_line(const RawHttpServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
}

int closed_port() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof(address);
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

}  // namespace melkora::test
