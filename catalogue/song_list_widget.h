#pragma once
// The song list on the screen: a report-style list with tick boxes, speaking code page 936 text
// to the catalogue, the player and the downloader.
#include <QTreeWidget>

#include "catalogue/song_list_view.h"

namespace melkora {

class MainWindow;

class SongListWidget : public QTreeWidget, public SongListView {
    Q_OBJECT
public:
    explicit SongListWidget(QWidget* parent = nullptr);

    int row_count() const override;
    int insert_row() override;
    void delete_all_rows() override;
    Text cell_text(int row, int column) const override;
    void set_cell_text(int row, int column, const Text& text) override;
    bool is_ticked(int row) const override;
    void set_ticked(int row, bool ticked) override;
    void ensure_visible(int row) override;
    int current_selection() const override;
    void set_current_selection(int row) override;
    void set_focus() override;

signals:
    void header_clicked(int column);
    void row_double_clicked();

private:
    void set_up_columns();
};

// Handlers of the song list's header and of the in-list search.
void header_clicked(MainWindow& window, int column);
void find_in_list(MainWindow& window);
void clear_search_text(MainWindow& window);

}  // namespace melkora
