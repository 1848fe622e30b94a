#pragma once
// Addresses of the music service's interfaces and the cutting of its answers: plain text work,
// kept apart from the fetching so it can be checked on its own.
#include <string_view>

#include "extract/text.h"

namespace melkora {

enum class LoadMode { page_address, keyword };

// Page address mode when the text holds "http" or ".com" in any letter case.
LoadMode choose_load_mode(std::string_view source_text);

// The keyword as typed, with only the characters that would change the shape of the query
// ("&", "#", "+", "%", blanks and control bytes) percent-escaped; the service decodes them back.
// Other characters stay as they are (the fetch sends non-ASCII ones as UTF-8 escapes).
Text keyword_query_value(std::string_view keyword);

Text search_address(std::string_view keyword, int page_size);
Text suggestion_address(std::string_view input_text);
Text details_address(std::string_view hash, std::string_view album_id);

// The number after the first "total": of a search answer, from its leading decimal digits; 0
// without digits.
int read_search_total(std::string_view answer);

// The "lists" array of a search answer (code page 936), cut back to its last "}]"; empty when
// it holds none, as for a search that found nothing.
Text cut_search_lists(std::string_view answer);

// The song array that a list page assigns in its script.
Text cut_page_song_array(std::string_view page_text);

}  // namespace melkora
