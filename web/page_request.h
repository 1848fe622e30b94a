#pragma once
// The calling contract shared by fetch_page and fetch_page_inet: one request value carrying every
// parameter with its default, one result value carrying every output. Parameters that are both
// read and written (cookies, and for fetch_page_inet extra_headers and post_bytes) live in the
// request and come back changed there.
#include <optional>
#include <string_view>

#include "extract/text.h"

namespace melkora {

struct PageRequest {
    Text url;
    int method = 0;                   // index into the method table; out of range means "GET"
    Text post_data;
    std::optional<Text> cookies;      // in/out; nullopt is "not given", distinct from given-as-empty
    Text extra_headers;               // in; in/out for fetch_page_inet
    bool no_redirect = false;
    Text user_name;
    Text password;
    Text proxy;
    Text proxy_user;
    Text proxy_password;
    int timeout_seconds = 0;          // below 1 means 30
    ByteArray post_bytes;             // fetch_page_inet only; in/out
    bool auto_merge_cookies = true;
};

struct PageResult {
    Text received_cookies;
    Text response_headers;
    Text redirect_location;           // left as it was when the response has no Location line
    Text status_text;                 // "200 OK", or a numbered failure text
    ByteArray response_bytes;
};

// The verb of a method number; numbers outside the table select "GET".
std::string_view method_verb(int method);

// The numbered failure texts of fetch_page, in code page 936. No failure carries 706.
enum class FetchFailure {
    platform_unavailable = 700,
    bad_address = 701,
    session = 702,
    connection = 703,
    request = 704,
    timeouts = 705,
    credentials = 707,
    cookie_option = 708,
    redirect_option = 709,
    headers = 710,
    send = 711,
    no_response = 712,
    read = 713,
};
Text failure_text(FetchFailure failure);

// Milliseconds for a timeout_seconds value: below 1 means 30 seconds.
long timeout_milliseconds(int timeout_seconds);

// Returns the page as code page 936 text; failures leave a numbered text in result.status_text.
Text fetch_page(PageRequest& request, PageResult& result);
Text fetch_page(std::string_view url);

// Returns the body exactly as received; failures give the bytes that arrived, possibly none.
ByteArray fetch_page_inet(PageRequest& request, PageResult& result);
ByteArray fetch_page_inet(std::string_view url);

}  // namespace melkora
