#pragma once
// A song's details address turned into what playing and downloading need.
#include <string_view>

#include "extract/text.h"

namespace melkora {

// Returns the play address ("data['play_url']"), empty when nothing usable came back. The cover
// address ("data.img") and the lyrics ("data.lyrics", lines split by CR LF) are set only when
// the answer parses; otherwise they keep what they held.
Text lookup_song_details(std::string_view details_address, Text& cover_address, Text& lyrics);

}  // namespace melkora
