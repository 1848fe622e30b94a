// Cookie merging, URL splitting, response-line reading and charset decoding over arbitrary bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "web/cookies.h"
#include "web/page_charset.h"
#include "web/url_split.h"

namespace {

using namespace melkora;

void check(bool condition) {
    if (!condition) std::abort();
}

bool has_blank(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == ' ') return true;
        if (byte >= 0x80 && i + 1 < text.size() && text[i + 1] != '\0') {
            if (byte == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1) return true;
            ++i;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    Text sent = input.ConsumeRandomLengthString(512);
    Text received = input.ConsumeRandomLengthString(512);
    std::string charset = input.ConsumeRandomLengthString(24);
    // The page fetch only ever names charsets made of these characters.
    std::erase_if(charset, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_'; });
    const std::string rest = input.ConsumeRemainingBytesAsString();

    const Text merged = merge_cookies(sent, received);
    check(merged == sent);
    check(!has_blank(received));  // the merged text joins with "; ", so only received is blank-free
    join_unique(rest, sent);
    cookie_name(rest);

    (void)url_host(rest, true);
    (void)url_port(rest);
    check(url_path(rest).starts_with("/"));

    read_response_lines(rest);
    decode_page(rest, charset);
    declared_charset(rest);
    return 0;
}
