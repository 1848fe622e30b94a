#pragma once
// Completions of the input text from the service's suggestion interface.
#include <string_view>
#include <vector>

#include "extract/text.h"

namespace melkora {

// The song hints ("HintInfo" of data[0].RecordDatas) in the answer's order; none when the
// request fails or the answer does not parse.
std::vector<Text> fetch_suggestions(std::string_view input_text);

// The same, from an answer already converted to code page 936.
std::vector<Text> read_suggestions(std::string_view answer);

}  // namespace melkora
