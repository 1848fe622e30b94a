#pragma once
// Cookie texts as both page fetches hand them back: items joined by "; ", blanks being the space
// and the ideographic space, two-byte characters always taken whole.
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "extract/text.h"

namespace melkora {

// Response cookies replace request cookies of the same name, "=deleted" items vanish, repeated
// items collapse. Both arguments come back without blanks; sent also receives the result.
Text merge_cookies(Text& sent, Text& received);

// The text left of the first "=", or the whole item, trimmed of blanks.
Text cookie_name(std::string_view item);

// The text's pieces between separators, each piece kept only at its first occurrence.
Text join_unique(std::string_view text, std::string_view separator);

// Pieces between separators, empty ones included, but none after a trailing separator.
std::vector<Text> split_text(std::string_view text, std::string_view separator);

Text trim_blanks(std::string_view text);
Text remove_blanks(std::string_view text);

// What both fetches read from a raw response header block.
struct ResponseLines {
    Text cookies;                   // first name=value pair of each "Set-Cookie" line, joined by "; "
    std::optional<Text> location;   // value of the last "Location: " line, if any
};
// after_each_line runs once per header line (the page fetch lets the window breathe there).
ResponseLines read_response_lines(std::string_view header_block,
                                  const std::function<void()>& after_each_line = {});

}  // namespace melkora
