#pragma once
// The libcurl side shared by both page fetches: one easy handle per transfer, created and freed
// within the call, sending exactly the header lines it is given and nothing of its own but Host
// and Content-Length.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <curl/curl.h>

#include "extract/text.h"

namespace melkora::web_detail {

struct TransferSpec {
    std::string url;                       // UTF-8, already escaped for the wire
    std::string_view verb = "GET";
    std::optional<ByteArray> body;         // nullopt: no body at all
    std::vector<std::string> header_lines; // "Name: value" each, sent in this order
    std::optional<std::string> user_agent; // sent as a header line of the session's own
    std::string proxy;                     // host:port of an HTTP proxy; empty: direct
    std::string user_name, password;       // Basic credentials for the server, when both are set
    std::string proxy_user, proxy_password;
    bool follow_redirects = true;
    bool cookie_engine = false;            // cookies set along a redirect chain go out again
    long connect_timeout_ms = 30000;       // name resolution and connecting
    long silence_timeout_ms = 30000;       // sending and receiving: longest wait without a byte
    // A body past this is cut off there and the transfer fails, rather than memory running out.
    std::size_t max_body_bytes = std::size_t{1} << 30;
};

// Which setting libcurl refused; it decides the numbered failure of the page fetch.
enum class SetupStep { none, session, connection, request, timeouts, credentials, cookies, redirects, headers };

enum class TransferStage {
    not_sent,       // name resolution, connecting, TLS, or the send itself failed
    awaiting_reply, // the request went out, no complete final header block came back
    reading_body,   // the final header block arrived; failures after it cut the body short
};

struct TransferOutcome {
    SetupStep refused = SetupStep::none;
    CURLcode code = CURLE_OK;
    TransferStage stage = TransferStage::not_sent;
    std::string header_block;  // raw header block of the last response only
    ByteArray body;
};

// False when libcurl cannot start or was built without HTTP.
bool http_available();

TransferOutcome perform_transfer(const TransferSpec& spec);

// Code page 936 address to UTF-8, with non-ASCII bytes and blanks after the host percent-escaped,
// as the Windows HTTP service puts an address on the wire.
std::string wire_address(std::string_view address);

// The wire form of an http or https address as libcurl will send it, without user information;
// nullopt when libcurl's parser rejects it or the scheme is another one (no default scheme).
std::optional<std::string> checked_http_address(std::string_view address);

// Splits caller header text into lines at CR LF (a lone CR or LF also ends a line, so no line
// can smuggle a header of its own); empty lines are dropped.
std::vector<std::string> header_text_lines(std::string_view header_text);

}  // namespace melkora::web_detail
