// The full page fetch: browser-like default header lines, proxy, credentials, time-outs, cookie
// and redirect behaviour, numbered failures, and re-decoding of pages in another character set.
#include <algorithm>

#include "web/cookies.h"
#include "web/curl_transfer.h"
#include "web/page_charset.h"
#include "web/page_request.h"
#include "web/pending_events.h"

namespace melkora {

namespace {

using web_detail::SetupStep;
using web_detail::TransferOutcome;
using web_detail::TransferSpec;
using web_detail::TransferStage;

struct DefaultLine {
    std::string_view search;
    bool ignore_case;
    std::string_view line;
};

// The caller's lines first; each default joins only when the text so far lacks it.
Text header_text(const PageRequest& request) {
    Text text = request.extra_headers.empty() ? Text() : request.extra_headers + "\r\n";
    auto add_unless_found = [&text](const DefaultLine& d) {
        if (find_marker(text, d.search, 1, d.ignore_case) == -1) text.append(d.line);
    };
    add_unless_found({"User-Agent: ", true,
                      "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"});
    add_unless_found({"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"});
    add_unless_found({"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"});
    add_unless_found({"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"});
    if (request.method == 1) {
        add_unless_found({"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"});
    }
    add_unless_found({"Cache-Control: ", true, "Cache-Control: no-cache\r\n"});
    if (request.cookies && !request.cookies->empty()) {
        const Text cookie_line = "Cookie: " + *request.cookies + "\r\n";
        add_unless_found({"Cookie: ", true, cookie_line});
    }
    return text;
}

bool is_token_char(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string_view name_of(std::string_view line) { return line.substr(0, line.find(':')); }

// Lines join in order; a later line of an existing name takes that header's place, and one with
// an empty value removes it. A line that is no "name: value" cannot be added at all.
std::optional<std::vector<std::string>> add_and_replace(const std::vector<std::string>& lines) {
    std::vector<std::string> headers;
    for (const auto& line : lines) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon == 0) return std::nullopt;
        const std::string_view name(line.data(), colon);
        if (!std::all_of(name.begin(), name.end(), is_token_char)) return std::nullopt;
        const bool empty_value = line.find_first_not_of(" \t", colon + 1) == std::string::npos;
        auto same = std::find_if(headers.begin(), headers.end(),
                                 [name](const std::string& h) { return same_name(name_of(h), name); });
        if (same == headers.end()) {
            if (!empty_value) headers.push_back(line);
        } else if (empty_value) {
            headers.erase(same);
        } else {
            *same = line;
        }
    }
    return headers;
}

FetchFailure failure_of(SetupStep step) {
    switch (step) {
        case SetupStep::session: return FetchFailure::session;
        case SetupStep::connection: return FetchFailure::connection;
        case SetupStep::request: return FetchFailure::request;
        case SetupStep::timeouts: return FetchFailure::timeouts;
        case SetupStep::credentials: return FetchFailure::credentials;
        case SetupStep::cookies: return FetchFailure::cookie_option;
        case SetupStep::redirects: return FetchFailure::redirect_option;
        case SetupStep::headers:
        case SetupStep::none: break;
    }
    return FetchFailure::headers;
}

TransferSpec transfer_spec(const PageRequest& request, std::string address, std::vector<std::string> headers) {
    TransferSpec spec;
    spec.url = std::move(address);
    spec.verb = method_verb(request.method);
    if (!request.post_data.empty()) spec.body = request.post_data;
    spec.header_lines = std::move(headers);
    spec.proxy = request.proxy;
    spec.user_name = request.user_name;
    spec.password = request.password;
    spec.proxy_user = request.proxy_user;
    spec.proxy_password = request.proxy_password;
    spec.follow_redirects = !request.no_redirect;
    // Without caller cookies the request keeps no cookies of its own, not even along redirects.
    spec.cookie_engine = request.cookies.has_value();
    spec.connect_timeout_ms = timeout_milliseconds(request.timeout_seconds);
    spec.silence_timeout_ms = spec.connect_timeout_ms;
    return spec;
}

// The status code and reason: what follows "HTTP/1.1 " up to the end of the status line.
Text status_of(std::string_view header_block) {
    const int line_end = find_marker(header_block, "\r\n", 10);
    if (line_end == -1) return {};
    return Text(header_block.substr(9, static_cast<std::size_t>(line_end - 10)));
}

void take_headers(PageRequest& request, PageResult& result, const std::string& header_block, bool body_cut_short) {
    result.response_headers = header_block;
    result.status_text = body_cut_short ? failure_text(FetchFailure::read) : status_of(header_block);
    ResponseLines lines = read_response_lines(result.response_headers, process_pending_events);
    result.received_cookies = std::move(lines.cookies);
    if (lines.location) result.redirect_location = std::move(*lines.location);
    if (request.auto_merge_cookies && request.cookies) {
        result.received_cookies = merge_cookies(*request.cookies, result.received_cookies);
    }
}

// The body up to its first zero, unless the page names another charset in its first bytes.
Text page_text_of(const ByteArray& body) {
    const std::string_view raw(body.data(), std::min(body.find('\0'), body.size()));
    const DeclaredCharset charset = declared_charset(raw);
    std::optional<Text> decoded;
    if (!charset.name.empty() && charset.name != "gbk" && charset.name != "gb2312") {
        decoded = decode_page(body, charset.name);
    }
    if (charset.searched) process_pending_events();
    process_pending_events();
    return decoded ? std::move(*decoded) : Text(raw);
}

}  // namespace

Text fetch_page(PageRequest& request, PageResult& result) {
    if (!web_detail::http_available()) {
        result.status_text = failure_text(FetchFailure::platform_unavailable);
        return {};
    }
    const auto address = web_detail::checked_http_address(request.url);
    if (!address) {
        result.status_text = failure_text(FetchFailure::bad_address);
        return {};
    }
    auto headers = add_and_replace(web_detail::header_text_lines(header_text(request)));
    if (!headers) {
        result.status_text = failure_text(FetchFailure::headers);
        return {};
    }
    TransferOutcome outcome = web_detail::perform_transfer(transfer_spec(request, *address, std::move(*headers)));
    if (outcome.refused != SetupStep::none) {
        result.status_text = failure_text(failure_of(outcome.refused));
        return {};
    }
    if (outcome.code != CURLE_OK && outcome.stage != TransferStage::reading_body) {
        const bool sent = outcome.stage == TransferStage::awaiting_reply;
        result.status_text = failure_text(sent ? FetchFailure::no_response : FetchFailure::send);
        return {};
    }
    const bool cut_short = outcome.code != CURLE_OK;
    if (cut_short) result.status_text = failure_text(FetchFailure::read);
    if (outcome.header_block.empty()) return {};
    take_headers(request, result, outcome.header_block, cut_short);
    result.response_bytes = std::move(outcome.body);
    return page_text_of(result.response_bytes);
}

Text fetch_page(std::string_view url) {
    PageRequest request;
    request.url = Text(url);
    PageResult result;
    return fetch_page(request, result);
}

}  // namespace melkora
