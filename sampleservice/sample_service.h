#pragma once
// A stand-in for the music service on loopback: the song search, the suggestions, the song details,
// a list page, covers and songs. Tests run it in-process on port 0; the offline demo runs it as a program.
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sampleservice/sample_catalogue.h"
#include "sampleservice/sample_media.h"

namespace httplib {
class Server;
struct Response;
}

namespace melkora::sample {

struct SampleServiceOptions {
    int song_count = 40;
    std::filesystem::path media_directory;  // empty: a private temporary directory
    int page_song_count = 30;               // songs per list page
};

// What a test makes one path answer instead of the generated answer.
struct CannedAnswer {
    int status = 200;
    std::string body;
    std::string content_type = "text/html; charset=utf-8";
};

inline constexpr std::string_view k_search_path = "/song_search_v2";
inline constexpr std::string_view k_tip_path = "/getSearchTip";
inline constexpr std::string_view k_details_path = "/yy/index.php";

class SampleService {
public:
    explicit SampleService(SampleServiceOptions options = {});
    ~SampleService();
    SampleService(const SampleService&) = delete;
    SampleService& operator=(const SampleService&) = delete;

    // Binds and starts answering on a thread of its own; port 0 picks a free port. Returns once
    // the service answers.
    bool start(const std::string& bind_address = "127.0.0.1", int port = 0);
    void stop();

    int port() const { return port_; }
    std::string host_port() const;   // "127.0.0.1:port", the form the host variables take
    std::string origin() const;      // "http://127.0.0.1:port"
    std::string playlist_address(int page = 1) const;
    const SampleCatalogue& catalogue() const { return catalogue_; }

    // The raw request targets (path and query, as sent) received for a path, oldest first.
    std::vector<std::string> requests(std::string_view path) const;
    void clear_requests();
    void set_canned_answer(std::string path, CannedAnswer answer);
    void clear_canned_answers();

private:
    void install_routes();
    void record(const std::string& path, const std::string& target);
    bool answer_canned(const std::string& path, httplib::Response& response) const;

    SampleServiceOptions options_;
    SampleCatalogue catalogue_;
    SampleMedia media_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::string bind_address_ = "127.0.0.1";
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<std::string>, std::less<>> requests_;
    std::map<std::string, CannedAnswer, std::less<>> canned_;
};

}  // namespace melkora::sample
