#include "web/curl_transfer.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>

namespace melkora::web_detail {

namespace {

using Clock = std::chrono::steady_clock;

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

std::optional<std::string> url_part(CURLU* url, CURLUPart part) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, 0) != CURLUE_OK) return std::nullopt;
    const CurlText owned(raw);
    return std::string(raw);
}

// A body announced larger than this is still read, only not reserved for up front.
constexpr curl_off_t k_max_reserve = 256LL * 1024 * 1024;
// A header block that goes on past this is no answer any more.
constexpr std::size_t k_max_header_block = 1024 * 1024;

bool ensure_global_init() {
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    return init == CURLE_OK;
}

bool speaks_http() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (info == nullptr || info->protocols == nullptr) return false;
    for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
        if (std::string_view(*protocol) == "http") return true;
    }
    return false;
}

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_ignoring_case(std::string_view text, std::string_view head) {
    return text.size() >= head.size() &&
           std::equal(head.begin(), head.end(), text.begin(), [](char a, char b) { return lower_ascii(a) == lower_ascii(b); });
}

std::string_view header_name(std::string_view line) {
    const auto colon = line.find_first_of(":;");
    return colon == std::string_view::npos ? line : line.substr(0, colon);
}

bool has_header(const std::vector<std::string>& lines, std::string_view name) {
    return std::any_of(lines.begin(), lines.end(), [name](const std::string& line) {
        const auto line_name = header_name(line);
        return line_name.size() == name.size() && starts_with_ignoring_case(line_name, name);
    });
}

// libcurl drops a "Name:" line with nothing after the colon; "Name;" is its way to send it empty.
std::string as_curl_line(std::string_view line) {
    const auto colon = line.find(':');
    if (colon != std::string_view::npos && line.find_first_not_of(' ', colon + 1) == std::string_view::npos) {
        return std::string(line.substr(0, colon)) + ";";
    }
    return std::string(line);
}

struct TransferState {
    const TransferSpec& spec;
    CURL* easy;
    TransferOutcome& out;
    bool request_sent = false;
    bool headers_done = false;
    bool location_seen = false;
    bool redirect_pending = false;
    curl_off_t last_upload = 0;
    Clock::time_point last_activity = Clock::now();
};

void begin_header_block(TransferState& state, std::string_view status_line) {
    state.out.header_block.assign(status_line);
    state.out.body.clear();
    state.headers_done = false;
    state.location_seen = false;
    state.redirect_pending = false;
}

void finish_header_block(TransferState& state) {
    long code = 0;
    curl_easy_getinfo(state.easy, CURLINFO_RESPONSE_CODE, &code);
    if (code >= 100 && code < 200) return;  // an interim answer; the real one follows
    state.headers_done = true;
    const bool redirect_code = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    state.redirect_pending = state.spec.follow_redirects && state.location_seen && redirect_code;
    curl_off_t announced = -1;
    curl_easy_getinfo(state.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    if (!state.redirect_pending && announced > 0 && announced <= k_max_reserve &&
        static_cast<std::size_t>(announced) <= state.spec.max_body_bytes) {
        state.out.body.reserve(static_cast<std::size_t>(announced));
    }
}

size_t on_header(char* data, size_t size, size_t count, void* user) {
    auto& state = *static_cast<TransferState*>(user);
    const std::string_view line(data, size * count);
    state.last_activity = Clock::now();
    try {
        if (line.starts_with("HTTP/")) {
            begin_header_block(state, line);
            return line.size();
        }
        if (state.headers_done) return line.size();  // trailers after a chunked body
        if (state.out.header_block.size() + line.size() > k_max_header_block) return 0;
        state.out.header_block.append(line);
        if (line == "\r\n" || line == "\n") {
            finish_header_block(state);
        } else if (starts_with_ignoring_case(line, "location:")) {
            state.location_seen = true;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return line.size();
}

size_t on_body(char* data, size_t size, size_t count, void* user) {
    auto& state = *static_cast<TransferState*>(user);
    state.last_activity = Clock::now();
    const std::size_t length = size * count;
    const std::size_t room = state.spec.max_body_bytes - std::min(state.spec.max_body_bytes, state.out.body.size());
    try {
        state.out.body.append(data, std::min(length, room));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return length <= room ? length : 0;
}

int on_request_ready(void* user, char*, char*, int, int) {
    auto& state = *static_cast<TransferState*>(user);
    state.request_sent = true;
    state.last_activity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

// Sending and receiving are bounded by silence, not by the length of the whole transfer.
int on_progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    auto& state = *static_cast<TransferState*>(user);
    const auto now = Clock::now();
    if (uploaded != state.last_upload) {
        state.last_upload = uploaded;
        state.last_activity = now;
    }
    if (!state.request_sent) return 0;
    const auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(now - state.last_activity);
    return silent.count() > state.spec.silence_timeout_ms ? 1 : 0;
}

template <typename... Codes>
bool all_ok(Codes... codes) {
    return ((codes == CURLE_OK) && ...);
}

bool set_session(CURL* easy, const TransferSpec& spec, TransferState& state) {
    // An empty proxy keeps libcurl from taking one from the environment.
    const std::string proxy = spec.proxy.empty() || spec.proxy.find("://") != std::string::npos
                                  ? spec.proxy
                                  : "http://" + spec.proxy;
    return all_ok(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L),
                  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)),
                  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https"),
                  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str()),
                  curl_easy_setopt(easy, CURLOPT_NOPROXY, ""),
                  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L),
                  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, on_header),
                  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &state),
                  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, on_body),
                  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &state),
                  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, on_request_ready),
                  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &state),
                  spec.user_agent ? curl_easy_setopt(easy, CURLOPT_USERAGENT, spec.user_agent->c_str()) : CURLE_OK);
}

bool set_request(CURL* easy, const TransferSpec& spec) {
    CURLcode code = CURLE_OK;
    if (spec.verb == "HEAD") return curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;
    if (spec.verb != "POST" && (spec.verb != "GET" || spec.body)) {
        code = curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, std::string(spec.verb).c_str());
    }
    if (code != CURLE_OK || (!spec.body && spec.verb != "POST")) return code == CURLE_OK;
    static const char empty_body[] = "";
    const char* data = spec.body ? spec.body->data() : empty_body;
    const auto size = static_cast<curl_off_t>(spec.body ? spec.body->size() : 0);
    return all_ok(curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, size),
                  curl_easy_setopt(easy, CURLOPT_POSTFIELDS, data));
}

bool set_timeouts(CURL* easy, const TransferSpec& spec, TransferState& state) {
    return all_ok(curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, spec.connect_timeout_ms),
                  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L),
                  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, on_progress),
                  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &state));
}

bool set_credentials(CURL* easy, const TransferSpec& spec) {
    bool ok = true;
    if (!spec.user_name.empty() && !spec.password.empty()) {
        ok = all_ok(curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<unsigned long>(CURLAUTH_BASIC)),
                    curl_easy_setopt(easy, CURLOPT_USERNAME, spec.user_name.c_str()),
                    curl_easy_setopt(easy, CURLOPT_PASSWORD, spec.password.c_str()));
    }
    if (ok && !spec.proxy_user.empty() && !spec.proxy_password.empty()) {
        ok = all_ok(curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC)),
                    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, spec.proxy_user.c_str()),
                    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, spec.proxy_password.c_str()));
    }
    return ok;
}

bool set_redirects(CURL* easy, const TransferSpec& spec) {
    if (!spec.follow_redirects) return curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
    return all_ok(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L), curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L),
                  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
}

// The caller's lines, then removals of what libcurl would otherwise add by itself; null when
// the list cannot be built.
HeaderList build_header_list(const std::vector<std::string>& lines) {
    static constexpr std::array<std::string_view, 4> own_headers = {"Accept", "Content-Type", "Expect",
                                                                     "Proxy-Connection"};
    HeaderList list;
    auto append = [&list](const std::string& line) {
        curl_slist* longer = curl_slist_append(list.get(), line.c_str());
        if (longer == nullptr) return false;
        (void)list.release();
        list.reset(longer);
        return true;
    };
    for (const auto& line : lines) {
        if (!append(as_curl_line(line))) return nullptr;
    }
    for (auto name : own_headers) {
        if (!has_header(lines, name) && !append(std::string(name) + ":")) return nullptr;
    }
    return list;
}

SetupStep configure(CURL* easy, const TransferSpec& spec, TransferState& state, const HeaderList& headers) {
    if (!set_session(easy, spec, state)) return SetupStep::session;
    if (curl_easy_setopt(easy, CURLOPT_URL, spec.url.c_str()) != CURLE_OK) return SetupStep::connection;
    if (!set_request(easy, spec)) return SetupStep::request;
    if (!set_timeouts(easy, spec, state)) return SetupStep::timeouts;
    if (!set_credentials(easy, spec)) return SetupStep::credentials;
    if (spec.cookie_engine && curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "") != CURLE_OK) return SetupStep::cookies;
    if (!set_redirects(easy, spec)) return SetupStep::redirects;
    if (!headers || curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK) return SetupStep::headers;
    return SetupStep::none;
}

TransferStage stage_reached(const TransferState& state, CURLcode code) {
    if (code == CURLE_OK) return TransferStage::reading_body;
    if (!state.request_sent || (code == CURLE_SEND_ERROR && state.out.header_block.empty())) {
        return TransferStage::not_sent;
    }
    if (!state.headers_done || state.redirect_pending) return TransferStage::awaiting_reply;
    return TransferStage::reading_body;
}

bool is_wire_escaped(unsigned char byte) { return byte >= 0x80 || byte == ' '; }

}  // namespace

bool http_available() {
    static const bool available = ensure_global_init() && speaks_http();
    return available;
}

TransferOutcome perform_transfer(const TransferSpec& spec) {
    ensure_global_init();
    TransferOutcome out;
    EasyHandle easy(curl_easy_init());
    if (!easy) {
        out.refused = SetupStep::session;
        return out;
    }
    TransferState state{spec, easy.get(), out};
    const HeaderList headers = build_header_list(spec.header_lines);
    out.refused = configure(easy.get(), spec, state, headers);
    if (out.refused != SetupStep::none) return out;
    out.code = curl_easy_perform(easy.get());
    if (!state.headers_done) {
        // libcurl takes a connection closed inside the header block for an answer; it is none.
        if (out.code == CURLE_OK) out.code = CURLE_RECV_ERROR;
        out.header_block.clear();
    }
    out.stage = stage_reached(state, out.code);
    return out;
}

std::string wire_address(std::string_view address) {
    const std::string utf8 = ansi_to_utf8(address);
    const auto scheme_end = utf8.find("://");
    const auto authority = scheme_end == std::string::npos ? 0 : scheme_end + 3;
    auto rest = utf8.find_first_of("/?#", authority);
    if (rest == std::string::npos) rest = utf8.size();
    std::string wire = utf8.substr(0, rest);
    static constexpr char hex[] = "0123456789ABCDEF";
    for (std::size_t i = rest; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (!is_wire_escaped(byte)) {
            wire.push_back(static_cast<char>(byte));
            continue;
        }
        wire.push_back('%');
        wire.push_back(hex[byte >> 4]);
        wire.push_back(hex[byte & 0x0F]);
    }
    return wire;
}

std::optional<std::string> checked_http_address(std::string_view address) {
    ensure_global_init();
    const UrlHandle url(curl_url());
    if (!url) return std::nullopt;
    const std::string wire = wire_address(address);
    if (curl_url_set(url.get(), CURLUPART_URL, wire.c_str(), 0) != CURLUE_OK) return std::nullopt;
    const auto scheme = url_part(url.get(), CURLUPART_SCHEME);
    if (!scheme || (*scheme != "http" && *scheme != "https")) return std::nullopt;
    // User information in the address is not a credential here; only the parameters are.
    curl_url_set(url.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0);
    curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return url_part(url.get(), CURLUPART_URL);
}

std::vector<std::string> header_text_lines(std::string_view header_text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= header_text.size()) {
        auto end = header_text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = header_text.size();
        if (end > start) lines.emplace_back(header_text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace melkora::web_detail
