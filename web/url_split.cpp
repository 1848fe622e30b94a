#include "web/url_split.h"

#include <climits>

namespace melkora {

namespace {

// ASCII letters only; the byte after a lead byte is never touched.
Text lower_ascii(std::string_view text) {
    Text out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if (byte >= 0x80 && i + 1 < out.size() && out[i + 1] != '\0') {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            out[i] = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return out;
}

// Reads a number the way C's atoi does (blanks, a sign, digits), saturating instead of overflowing.
int leading_integer(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

Text url_host(std::string_view address, bool keep_port) {
    Text v = lower_ascii(address);
    if (v.empty() || v.back() != '/') v.push_back('/');
    if (v.starts_with("https://")) {
        v = text_between(v, "https://", "/");
    } else {
        if (find_marker(v, "http://") == -1) v.insert(0, "http://");
        v = text_between(v, "http://", "/");
    }
    if (!keep_port && find_marker(v, ":") != -1) v = text_left_of(v, ":");
    return v;
}

int url_port(std::string_view address) {
    const Text host = url_host(address, true);
    const int colon = find_marker_last(host, ":");
    if (colon != -1) return leading_integer(std::string_view(host).substr(static_cast<std::size_t>(colon)));
    return lower_ascii(address.substr(0, 5)) == "https" ? 443 : 80;
}

Text url_path(std::string_view address) {
    const int host_at = find_marker(address, url_host(address), 1, true);
    const int slash = find_marker(address, "/", host_at < 1 ? 1 : host_at, true);
    if (slash < 1) return "/";
    return Text(address.substr(static_cast<std::size_t>(slash - 1)));
}

}  // namespace melkora
