// The lean page fetch: splits the address itself, sends the agent through the session and a short
// set of default lines that it writes back into the caller's extra_headers, reports nothing.
#include <algorithm>
#include <string>

#include "web/cookies.h"
#include "web/curl_transfer.h"
#include "web/page_request.h"
#include "web/url_split.h"

namespace melkora {

namespace {

using web_detail::SetupStep;
using web_detail::TransferSpec;

constexpr std::size_t k_header_buffer = 5000;
// The lean fetch has no time-out parameter; it still must not wait for ever.
constexpr long k_inet_timeout_ms = 30000;

bool is_secure(std::string_view url) {
    if (url.size() < 8) return false;
    std::string head(url.substr(0, 8));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return head == "https://";
}

// The agent a caller's "User-Agent:" line names, else the lean fetch's own. A line spelled in
// another letter case is found through its colon; only that line's value counts, so no other
// line of the caller's text can end up inside the agent.
Text user_agent(std::string_view extra_headers) {
    const int at = find_marker(extra_headers, "User-Agent:", 1, true);
    if (at == -1) return "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
    Text agent = trim_blanks(text_between(Text(extra_headers) + "\r\n", "User-Agent:", "\r\n"));
    if (!agent.empty()) return agent;
    std::string_view line = extra_headers.substr(static_cast<std::size_t>(at - 1));
    line = line.substr(0, line.find_first_of("\r\n"));
    const auto colon = line.find(':');
    return colon == std::string_view::npos ? Text() : trim_blanks(line.substr(colon + 1));
}

void append_default_lines(PageRequest& request, int method) {
    Text& text = request.extra_headers;
    auto lacks = [&text](std::string_view name) { return find_marker(text, name) == -1; };
    if (text.empty()) {
        text = "Accept: */*";
    } else if (lacks("Accept:")) {
        text.append("\r\nAccept: */*");
    }
    if (lacks("Referer:")) text.append("\r\nReferer: ").append(request.url);
    if (lacks("Accept-Language:")) text.append("\r\nAccept-Language: zh-cn");
    if (method == 1 && lacks("Content-Type:")) text.append("\r\nContent-Type: application/x-www-form-urlencoded");
    if (request.cookies && !request.cookies->empty()) {
        const bool whole_line = find_marker(*request.cookies, "Cookie:") != -1;
        text.append(whole_line ? "\r\n" : "\r\nCookie: ").append(*request.cookies);
    }
}

// The address as split by the lean fetch's own rules; nullopt when no request can be made of it.
std::optional<std::string> inet_address(std::string_view url) {
    const bool has_control = std::any_of(url.begin(), url.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    const Text host = url_host(url);
    if (has_control || host.empty()) return std::nullopt;
    const Text address = (is_secure(url) ? "https://" : "http://") + host + ":" + std::to_string(url_port(url)) + url_path(url);
    return web_detail::checked_http_address(address);
}

TransferSpec transfer_spec(const PageRequest& request, std::string address, int method) {
    TransferSpec spec;
    spec.url = std::move(address);
    spec.verb = method_verb(method);
    if (method != 0) spec.body = request.post_bytes;
    spec.header_lines = web_detail::header_text_lines(request.extra_headers);
    spec.user_agent = user_agent(request.extra_headers);
    spec.proxy = request.proxy;
    spec.follow_redirects = !request.no_redirect;
    // Cookies given by the caller replace automatic handling; otherwise the request keeps
    // the cookies a redirect chain sets, as the platform's cookie store would.
    spec.cookie_engine = !request.cookies.has_value();
    spec.connect_timeout_ms = k_inet_timeout_ms;
    spec.silence_timeout_ms = k_inet_timeout_ms;
    return spec;
}

}  // namespace

ByteArray fetch_page_inet(PageRequest& request, PageResult& result) {
    const int method = (request.method < 0 || request.method > 7) ? 0 : request.method;
    auto address = inet_address(request.url);
    if (!address) return {};
    append_default_lines(request, method);
    if (method != 0 && request.post_bytes.empty()) request.post_bytes = request.post_data;
    auto outcome = web_detail::perform_transfer(transfer_spec(request, std::move(*address), method));
    if (outcome.refused != SetupStep::none) return {};
    const bool fits = !outcome.header_block.empty() && outcome.header_block.size() < k_header_buffer;
    result.response_headers = fits ? outcome.header_block : Text(k_header_buffer, ' ');
    result.received_cookies = read_response_lines(result.response_headers).cookies;
    if (request.auto_merge_cookies && request.cookies) {
        result.received_cookies = merge_cookies(*request.cookies, result.received_cookies);
    }
    return std::move(outcome.body);
}

ByteArray fetch_page_inet(std::string_view url) {
    PageRequest request;
    request.url = Text(url);
    PageResult result;
    return fetch_page_inet(request, result);
}

}  // namespace melkora
