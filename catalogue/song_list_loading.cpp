#include "catalogue/song_list_loading.h"

#include <chrono>
#include <string>
#include <vector>

#include "catalogue/catalogue_addresses.h"
#include "extract/json_doc.h"
#include "web/page_request.h"
#include "web/pending_events.h"

namespace melkora {

namespace {

// The member paths after "[k", in the order the cells are read: hash, name, album id.
struct RowPaths {
    std::string_view hash;
    std::string_view name;
    std::string_view album_id;
};

constexpr RowPaths k_page_paths = {"].hash", "]['song_name']", "]['album_id']"};
constexpr RowPaths k_search_paths = {"].FileHash", "].FileName", "].AlbumID"};

// Lets the window handle its pending events after the first row, after the last, and in between
// whenever a frame's time has passed. Handling them after every row repaints the list each
// time, which made a 5,000-song list take about a minute; at this pace the window still paints
// the growing list and answers the user, and other handlers may still run mid-fill.
class EventPacer {
public:
    void row_written(bool last_row) {
        const auto now = std::chrono::steady_clock::now();
        if (!first_done_ || last_row || now - last_ >= k_frame) {
            first_done_ = true;
            process_pending_events();
            last_ = std::chrono::steady_clock::now();
        }
    }

private:
    static constexpr std::chrono::milliseconds k_frame{20};
    bool first_done_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// Counts the fills begun. A load started from the pending events of another's fill (Enter
// pressed twice) empties the list and writes its own rows; the older fill then stops, instead of
// appending the rest of its songs after them and mixing two searches in one list.
int fills_begun = 0;

void write_rows(const JsonDoc& songs, const RowPaths& paths, SongListView& view) {
    std::vector<Text> names;
    const int count = songs.member_names(names);
    view.delete_all_rows();
    const int this_fill = ++fills_begun;
    EventPacer pacer;
    for (int k = 0; k < count && this_fill == fills_begun; ++k) {
        const int row = view.insert_row();
        const Text prefix = Text("[").append(std::to_string(k));
        const Text hash = songs.get_text(prefix + Text(paths.hash));
        const Text name = songs.get_text(prefix + Text(paths.name));
        const Text album_id = songs.get_text(prefix + Text(paths.album_id));
        view.set_cell_text(row, k_column_index, std::to_string(row));
        view.set_cell_text(row, k_column_name, name);
        view.set_cell_text(row, k_column_hash, hash);
        view.set_cell_text(row, k_column_album_id, album_id);
        view.set_cell_text(row, k_column_url, details_address(hash, album_id));
        pacer.row_written(k == count - 1);
    }
}

LoadOutcome load_from_page(std::string_view address, SongListView& view) {
    JsonDoc songs;
    if (!songs.parse(cut_page_song_array(fetch_page(address)))) return LoadOutcome::left_unchanged;
    write_rows(songs, k_page_paths, view);
    return LoadOutcome::loaded;
}

// The first request only learns how many songs there are; the second asks for all of them in
// one page.
LoadOutcome load_from_search(std::string_view keyword, SongListView& view) {
    const int total = read_search_total(fetch_page(search_address(keyword, 1)));
    const Text answer = utf8_to_ansi(fetch_page(search_address(keyword, total)));
    JsonDoc songs;
    if (!songs.parse(cut_search_lists(answer))) return LoadOutcome::parse_failed;
    write_rows(songs, k_search_paths, view);
    return LoadOutcome::loaded;
}

}  // namespace

LoadOutcome load_song_list(std::string_view source_text, SongListView& view) {
    return choose_load_mode(source_text) == LoadMode::page_address ? load_from_page(source_text, view)
                                                                   : load_from_search(source_text, view);
}

}  // namespace melkora
