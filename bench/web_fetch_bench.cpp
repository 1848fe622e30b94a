// Page fetch against a bare libcurl easy GET, both over the same loopback server, measured in
// the same run: 1,000 small answers and one 50 MB body. Prints medians and ratios.
//
//   web_fetch_bench [rounds]      (default 7: 7 x 1,000 small answers and 7 large bodies per side)
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"
#include "web/page_request.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int k_small_requests = 1000;
constexpr std::size_t k_small_size = 1024;
constexpr std::size_t k_large_size = 50U * 1024 * 1024;

size_t append_body(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The default header lines of the page fetch, for the second reference.
curl_slist* page_fetch_lines() {
    curl_slist* lines = nullptr;
    for (const char* line : {"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
                             "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
                             "Accept-Language: zh-cn", "Cache-Control: no-cache"}) {
        lines = curl_slist_append(lines, line);
    }
    return lines;
}

// The reference: one easy handle per request, as the page fetch makes one per call; optionally
// with the page fetch's header lines, to tell the cost of those bytes from the cost of the code.
std::size_t bare_get_with(const std::string& url, curl_slist* header_lines) {
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::string body;
    if (header_lines != nullptr) curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, header_lines);
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, append_body);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(easy.get()) != CURLE_OK) std::abort();
    return body.size();
}

std::size_t bare_get(const std::string& url) { return bare_get_with(url, nullptr); }

std::size_t bare_get_same_lines(const std::string& url) {
    static const std::unique_ptr<curl_slist, ListDeleter> lines(page_fetch_lines());
    return bare_get_with(url, lines.get());
}

std::size_t page_fetch(const std::string& url) {
    melkora::PageRequest request;
    request.url = url;
    melkora::PageResult result;
    const auto page = melkora::fetch_page(request, result);
    if (result.status_text != "200 OK") std::abort();
    return page.size();
}

double seconds_for(const std::function<std::size_t(const std::string&)>& get, const std::string& url, int times,
                   std::size_t expected) {
    const auto start = Clock::now();
    for (int i = 0; i < times; ++i) {
        if (get(url) != expected) std::abort();
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Both sides run in short alternating batches, so that a burst of load from elsewhere on the
// machine hits one pair of batches rather than one whole side; the ratio is the median of the
// pairs' ratios, the times are medians scaled to the whole count.
using Getter = std::function<std::size_t(const std::string&)>;

void compare(const char* label, const Getter& reference, const std::string& url, int times, int batch,
             std::size_t expected, int rounds) {
    std::vector<double> bare;
    std::vector<double> ours;
    std::vector<double> ratios;
    const int pairs = std::max(1, times / batch) * rounds;
    for (int pair = 0; pair < pairs; ++pair) {
        double bare_seconds = 0;
        double our_seconds = 0;
        if (pair % 2 == 0) {
            bare_seconds = seconds_for(reference, url, batch, expected);
            our_seconds = seconds_for(page_fetch, url, batch, expected);
        } else {
            our_seconds = seconds_for(page_fetch, url, batch, expected);
            bare_seconds = seconds_for(reference, url, batch, expected);
        }
        bare.push_back(bare_seconds);
        ours.push_back(our_seconds);
        ratios.push_back(our_seconds / bare_seconds);
    }
    const double scale = static_cast<double>(times) / batch * 1000;
    std::printf("%-44s reference %8.1f ms   fetch_page %8.1f ms   median pair ratio %.3f  (%d pairs)\n", label,
                median(bare) * scale, median(ours) * scale, median(ratios), pairs);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string small(k_small_size, 's');
    const std::string large(k_large_size, 'L');
    melkora::test::LoopbackServer server;
    server.http().Get("/small", [&small](const httplib::Request&, httplib::Response& response) {
        response.set_content(small, "text/html");
    });
    server.http().Get("/large", [&large](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(large.size(), "application/octet-stream",
                                      [&large](size_t offset, size_t length, httplib::DataSink& sink) {
                                          sink.write(large.data() + offset, std::min<size_t>(length, 256 * 1024));
                                          return true;
                                      });
    });
    server.start();
    std::printf("%d rounds, both sides over the same loopback server\n", rounds);
    compare("1,000 answers of 1 KB, bare libcurl GET", bare_get, server.url("/small"), k_small_requests, 50,
            small.size(), rounds);
    compare("one 50 MB body, bare libcurl GET", bare_get, server.url("/large"), 1, 1, large.size(), rounds);
    compare("1,000 answers of 1 KB, bare GET, same lines", bare_get_same_lines, server.url("/small"),
            k_small_requests, 50, small.size(), rounds);
    curl_global_cleanup();
    return 0;
}
