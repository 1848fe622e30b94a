#include "catalogue/song_details.h"

#include "extract/json_doc.h"
#include "web/page_request.h"

namespace melkora {

Text lookup_song_details(std::string_view details_address, Text& cover_address, Text& lyrics) {
    JsonDoc details;
    // The answer is plain ASCII with \u escapes, so it needs no conversion before parsing.
    if (!details.parse(fetch_page(details_address))) return {};
    cover_address = details.get_text("data.img");
    lyrics = details.get_text("data.lyrics");
    return details.get_text("data['play_url']");
}

}  // namespace melkora
