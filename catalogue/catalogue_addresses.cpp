#include "catalogue/catalogue_addresses.h"

#include <climits>
#include <cstdio>
#include <string>

#include "catalogue/service_hosts.h"

namespace melkora {

namespace {

bool shapes_query(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == ' ' || c == '&' || c == '#' || c == '+' || c == '%';
}

}  // namespace

LoadMode choose_load_mode(std::string_view source_text) {
    bool address = find_marker(source_text, "http", 1, true) != -1 || find_marker(source_text, ".com", 1, true) != -1;
    return address ? LoadMode::page_address : LoadMode::keyword;
}

Text keyword_query_value(std::string_view keyword) {
    Text value;
    value.reserve(keyword.size());
    for (char c : keyword) {
        auto byte = static_cast<unsigned char>(c);
        if (!shapes_query(byte)) {
            value += c;
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
        value += escaped;
    }
    return value;
}

Text search_address(std::string_view keyword, int page_size) {
    return "http://" + service_host(ServiceHost::song_search) + "/song_search_v2?keyword=" +
           keyword_query_value(keyword) + "&page=1&pagesize=" + std::to_string(page_size) + "&platform=WebFilter";
}

Text suggestion_address(std::string_view input_text) {
    return "http://" + service_host(ServiceHost::suggestion) +
           "/getSearchTip?MusicTipCount=20&MVTipCount=2&albumcount=2&keyword=" + keyword_query_value(input_text);
}

Text details_address(std::string_view hash, std::string_view album_id) {
    return "http://" + service_host(ServiceHost::web) + "/yy/index.php?r=play/getdata&hash=" + Text(hash) +
           "&album_id=" + Text(album_id) + "&_=";
}

int read_search_total(std::string_view answer) {
    Text number = text_between(answer, "total\":", ",");
    long long total = 0;
    for (char c : number) {
        if (c < '0' || c > '9') break;
        total = total * 10 + (c - '0');
        if (total > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(total);
}

Text cut_search_lists(std::string_view answer) {
    // Cutting at the last "}]" found character by character leaves a text that already ends
    // with one as it is, and never cuts inside a two-byte character.
    Text lists = text_between_outer(answer, "lists\":", ",\"correctiontype");
    int last = find_marker_last(lists, "}]");
    if (last == -1) return {};
    lists.resize(static_cast<std::size_t>(last - 1) + 2);
    return lists;
}

Text cut_page_song_array(std::string_view page_text) {
    static const Text k_array_end = ansi(",//当前页面歌曲信息");
    return text_between(page_text, "var dataFromSmarty = ", k_array_end);
}

}  // namespace melkora
