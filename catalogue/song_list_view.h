#pragma once
// The song list: the table that the catalogue, the player and the downloader share. They speak to
// it through this interface, in code page 936 text, and never touch the toolkit's item classes.
#include "extract/text.h"

namespace melkora {

enum SongColumn : int {
    k_column_index = 0,
    k_column_name = 1,
    k_column_hash = 2,
    k_column_album_id = 3,
    k_column_url = 4,
    k_column_progress = 5,
    k_column_state = 6,
    k_column_count = 7,
};

class SongListView {
public:
    virtual ~SongListView() = default;

    virtual int row_count() const = 0;
    virtual int insert_row() = 0;  // at the end; returns the new row's index
    virtual void delete_all_rows() = 0;
    virtual Text cell_text(int row, int column) const = 0;
    virtual void set_cell_text(int row, int column, const Text& text) = 0;
    virtual bool is_ticked(int row) const = 0;
    virtual void set_ticked(int row, bool ticked) = 0;
    virtual void ensure_visible(int row) = 0;
    virtual int current_selection() const = 0;  // -1 when none
    virtual void set_current_selection(int row) = 0;
    virtual void set_focus() = 0;
};

}  // namespace melkora
