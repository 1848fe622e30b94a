#pragma once
// Conversions between the program's code page 936 texts and UTF-8 for the parts of extract/ that
// talk to UTF-8 libraries. Both are exact for every character (the code page converter is
// GB18030); a malformed sequence becomes U+FFFD or "?", never an error.
#include <string>
#include <string_view>

#include "extract/text.h"

namespace melkora {

std::string cp936_to_utf8(std::string_view text);
Text utf8_to_cp936(std::string_view utf8);

}  // namespace melkora
