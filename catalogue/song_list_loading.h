#pragma once
// Filling the song list from a list page's address or from a keyword search.
#include <string_view>

#include "catalogue/song_list_view.h"
#include "extract/text.h"

namespace melkora {

enum class LoadOutcome {
    loaded,          // the old rows are gone and one row per song is written
    left_unchanged,  // page address mode failed: silent, rows kept
    parse_failed,    // keyword mode failed: the window says "数据解析出错", rows kept
};

// Rows are deleted only after the new song array has parsed, so a failed load never leaves a
// half-empty list. While the rows are written the window handles its pending events: after the
// first row, after the last, and in between about once per frame.
LoadOutcome load_song_list(std::string_view source_text, SongListView& view);

}  // namespace melkora
