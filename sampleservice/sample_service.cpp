#include "sampleservice/sample_service.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "sampleservice/sample_answers.h"

namespace melkora::sample {

namespace {

constexpr const char* k_json_type = "application/json; charset=utf-8";
constexpr const char* k_html_type = "text/html; charset=utf-8";
constexpr int k_count_limit = 1000000;

// Leading decimal digits of a query value, capped so that a huge page size cannot overflow.
int count_param(const httplib::Request& request, const char* name, int fallback) {
    if (!request.has_param(name)) return fallback;
    auto text = request.get_param_value(name);
    if (text.empty() || text[0] < '0' || text[0] > '9') return fallback;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min<long long>(value * 10 + (c - '0'), k_count_limit);
    }
    return static_cast<int>(value);
}

void answer_not_found(httplib::Response& response) {
    response.status = 404;
    response.set_content("<html><head><title>404</title></head><body>Not Found</body></html>", k_html_type);
}

}  // namespace

SampleService::SampleService(SampleServiceOptions options)
    : options_(std::move(options)),
      catalogue_(options_.song_count),
      media_(options_.media_directory),
      server_(std::make_unique<httplib::Server>()) {
    install_routes();
}

SampleService::~SampleService() { stop(); }

bool SampleService::start(const std::string& bind_address, int port) {
    if (thread_.joinable()) return true;
    bind_address_ = bind_address;
    port_ = port == 0 ? server_->bind_to_any_port(bind_address) : (server_->bind_to_port(bind_address, port) ? port : -1);
    if (port_ <= 0) {
        port_ = 0;
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // httplib's stop() does nothing until the accept loop has started, so a stop that came too
    // early would leave that loop waiting for ever; wait here until it runs.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_->is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void SampleService::stop() {
    if (!thread_.joinable()) return;
    server_->stop();
    thread_.join();
}

std::string SampleService::host_port() const {
    auto host = bind_address_ == "0.0.0.0" ? std::string("127.0.0.1") : bind_address_;
    return host + ":" + std::to_string(port_);
}

std::string SampleService::origin() const { return "http://" + host_port(); }

std::string SampleService::playlist_address(int page) const {
    return origin() + "/songlist/" + std::to_string(page) + ".html";
}

std::vector<std::string> SampleService::requests(std::string_view path) const {
    std::lock_guard lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? std::vector<std::string>{} : found->second;
}

void SampleService::clear_requests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void SampleService::set_canned_answer(std::string path, CannedAnswer answer) {
    std::lock_guard lock(mutex_);
    canned_[std::move(path)] = std::move(answer);
}

void SampleService::clear_canned_answers() {
    std::lock_guard lock(mutex_);
    canned_.clear();
}

void SampleService::record(const std::string& path, const std::string& target) {
    std::lock_guard lock(mutex_);
    requests_[path].push_back(target);
}

bool SampleService::answer_canned(const std::string& path, httplib::Response& response) const {
    std::lock_guard lock(mutex_);
    auto found = canned_.find(path);
    if (found == canned_.end()) return false;
    response.status = found->second.status;
    response.set_content(found->second.body, found->second.content_type);
    return true;
}

void SampleService::install_routes() {
    // Every request is recorded and may be overridden by a canned answer before the real routes see it.
    server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        record(request.path, request.target);
        return answer_canned(request.path, response) ? httplib::Server::HandlerResponse::Handled
                                                     : httplib::Server::HandlerResponse::Unhandled;
    });

    server_->Get(std::string(k_search_path), [this](const httplib::Request& request, httplib::Response& response) {
        auto found = catalogue_.search(request.get_param_value("keyword"));
        response.set_content(search_answer(found, count_param(request, "pagesize", 20)), k_json_type);
    });
    server_->Get(std::string(k_tip_path), [this](const httplib::Request& request, httplib::Response& response) {
        auto found = catalogue_.search(request.get_param_value("keyword"));
        response.set_content(tip_answer(found, count_param(request, "MusicTipCount", 10),
                                        count_param(request, "MVTipCount", 2)),
                             k_json_type);
    });
    server_->Get(std::string(k_details_path), [this](const httplib::Request& request, httplib::Response& response) {
        if (request.get_param_value("r") != "play/getdata") return answer_not_found(response);
        const auto* song = catalogue_.find_by_hash(request.get_param_value("hash"));
        response.set_content(song ? details_answer(*song, origin()) : unknown_song_answer(), k_html_type);
    });
    server_->Get(R"(/songlist/(\d{1,6})\.html)", [this](const httplib::Request& request, httplib::Response& response) {
        int page = std::stoi(request.matches[1].str());
        int first = (page - 1) * options_.page_song_count;
        if (page < 1 || first >= static_cast<int>(catalogue_.songs().size())) return answer_not_found(response);
        response.set_content(playlist_page(catalogue_.songs(), first, options_.page_song_count), k_html_type);
    });
    server_->Get(R"(/cover/([0-9A-Fa-f]{32})\.jpg)", [this](const httplib::Request& request, httplib::Response& response) {
        const auto* song = catalogue_.find_by_hash(request.matches[1].str());
        if (!song) return answer_not_found(response);
        response.set_content(cover_bitmap(static_cast<unsigned>(song->index) + 1), "image/bmp");
    });
    server_->Get(R"(/audio/([0-9A-Fa-f]{32})\.mp3)", [this](const httplib::Request& request, httplib::Response& response) {
        const auto* song = catalogue_.find_by_hash(request.matches[1].str());
        if (!song) return answer_not_found(response);
        if (!song->playable) {
            response.set_content("<html><body>该资源暂时无法播放</body></html>", k_html_type);
            return;
        }
        auto file = media_.tone_file(song->tone);
        auto bytes = file ? read_file(*file) : std::nullopt;
        if (!bytes) {
            response.status = 500;
            response.set_content("sox could not make the tone", "text/plain");
            return;
        }
        // httplib answers a Range request from this body with 206 and the asked-for slice.
        response.set_content(std::move(*bytes), "audio/mpeg");
    });
    server_->Get("/", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><head><meta charset=\"utf-8\"></head><body>Melkora sample service: " +
                                 std::to_string(catalogue_.songs().size()) + " songs. List page: <a href=\"" +
                                 playlist_address() + "\">" + playlist_address() + "</a></body></html>",
                             k_html_type);
    });
}

}  // namespace melkora::sample
