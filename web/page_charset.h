#pragma once
// Pages that name their own character set in a meta tag are turned into code page 936 text.
#include <optional>
#include <string_view>

#include "extract/text.h"

namespace melkora {

// The charset a meta tag names within the first 1024 bytes of the page text; empty when none.
// The second value tells whether the search itself ran (the page fetch lets the window breathe then).
struct DeclaredCharset {
    Text name;
    bool searched = false;
};
DeclaredCharset declared_charset(std::string_view page_text);

// The whole body decoded from the named charset into code page 936, ending at a decoded zero;
// nullopt when the charset is unknown. Bytes that do not decode become "?".
std::optional<Text> decode_page(std::string_view body, std::string_view charset);

}  // namespace melkora
