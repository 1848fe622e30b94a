// melkora-sample-service: runs the sample service until interrupted, for the offline demo.
//   melkora-sample-service [--port N] [--songs N] [--media-dir DIR]
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "sampleservice/sample_service.h"

namespace {

struct Arguments {
    int port = 0;
    int songs = 40;
    std::filesystem::path media_directory;
    bool valid = true;
};

std::filesystem::path default_media_directory() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return std::filesystem::path(cache) / "melkora" / "sample-media";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".cache" / "melkora" / "sample-media";
    return {};
}

bool read_count(const char* text, int& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!text[0] || *end || value < 0 || value > 1000000) return false;
    out = static_cast<int>(value);
    return true;
}

Arguments parse_arguments(int argc, char** argv) {
    Arguments arguments;
    arguments.media_directory = default_media_directory();
    for (int k = 1; k < argc && arguments.valid; ++k) {
        std::string_view option = argv[k];
        bool has_value = k + 1 < argc;
        if (option == "--port" && has_value)
            arguments.valid = read_count(argv[++k], arguments.port) && arguments.port <= 65535;
        else if (option == "--songs" && has_value)
            arguments.valid = read_count(argv[++k], arguments.songs);
        else if (option == "--media-dir" && has_value)
            arguments.media_directory = argv[++k];
        else
            arguments.valid = false;
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    auto arguments = parse_arguments(argc, argv);
    if (!arguments.valid) {
        std::fprintf(stderr, "usage: %s [--port N] [--songs N] [--media-dir DIR]\n", argv[0]);
        return 2;
    }
    // Wait for the end signal in sigwait, so the server stops and joins its thread normally.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    melkora::sample::SampleService service({arguments.songs, arguments.media_directory, 30});
    if (!service.start("127.0.0.1", arguments.port)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", arguments.port);
        return 1;
    }
    std::printf("%s\nlist page: %s\n", service.host_port().c_str(), service.playlist_address().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    service.stop();
    return 0;
}
