#include "catalogue/song_list_widget.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPalette>

#include <array>

#include "shell/main_window.h"
#include "shell/qt_text.h"
#include "web/pending_events.h"

namespace melkora {

namespace {

struct ColumnSpec {
    const char* title;
    int width;
};

// The album id and the details address ride along unseen (width 0) until the user widens them.
constexpr std::array<ColumnSpec, k_column_count> k_columns{{
    {"索引", 50},
    {"歌名 [点击全选]", 180},
    {"hash", 80},
    {"album_id", 0},
    {"URL", 0},
    {"已下载进度", 120},
    {"下载状态", 80},
}};

bool is_cell(const QTreeWidget& view, int row, int column) {
    return row >= 0 && row < view.topLevelItemCount() && column >= 0 && column < k_column_count;
}

}  // namespace

SongListWidget::SongListWidget(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    set_up_columns();

    // The selected row stays marked while the focus is elsewhere (the search box, a button).
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    setPalette(colours);

    connect(header(), &QHeaderView::sectionClicked, this, &SongListWidget::header_clicked);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { emit row_double_clicked(); });
}

void SongListWidget::set_up_columns() {
    setColumnCount(k_column_count);
    QStringList titles;
    for (const ColumnSpec& column : k_columns) titles << ui_text(column.title);
    setHeaderLabels(titles);
    QHeaderView& head = *header();
    head.setSectionsClickable(true);
    head.setSectionsMovable(false);
    head.setSortIndicatorShown(false);
    head.setStretchLastSection(false);
    head.setMinimumSectionSize(0);
    head.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < k_column_count; ++column) {
        head.setSectionResizeMode(column, QHeaderView::Interactive);
        head.resizeSection(column, k_columns[static_cast<std::size_t>(column)].width);
    }
}

int SongListWidget::row_count() const { return topLevelItemCount(); }

int SongListWidget::insert_row() {
    auto* item = new QTreeWidgetItem(this);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren);
    item->setCheckState(k_column_index, Qt::Unchecked);
    return indexOfTopLevelItem(item);
}

void SongListWidget::delete_all_rows() { clear(); }

Text SongListWidget::cell_text(int row, int column) const {
    if (!is_cell(*this, row, column)) return {};
    return from_qstring(topLevelItem(row)->text(column));
}

void SongListWidget::set_cell_text(int row, int column, const Text& text) {
    if (!is_cell(*this, row, column)) return;
    topLevelItem(row)->setText(column, to_qstring(text));
}

bool SongListWidget::is_ticked(int row) const {
    if (!is_cell(*this, row, k_column_index)) return false;
    return topLevelItem(row)->checkState(k_column_index) == Qt::Checked;
}

void SongListWidget::set_ticked(int row, bool ticked) {
    if (!is_cell(*this, row, k_column_index)) return;
    topLevelItem(row)->setCheckState(k_column_index, ticked ? Qt::Checked : Qt::Unchecked);
}

void SongListWidget::ensure_visible(int row) {
    if (is_cell(*this, row, k_column_index)) scrollToItem(topLevelItem(row));
}

int SongListWidget::current_selection() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

void SongListWidget::set_current_selection(int row) {
    if (!is_cell(*this, row, k_column_index)) {
        clearSelection();
        return;
    }
    setCurrentItem(topLevelItem(row));
}

void SongListWidget::set_focus() { setFocus(Qt::OtherFocusReason); }

void header_clicked(MainWindow& window, int column) {
    if (column != k_column_name) return;
    int& tick_all_state = window.state().tick_all_state;
    tick_all_state = 1 - tick_all_state;
    SongListWidget& list = *window.controls().超级列表框1;
    for (int row = 0; row < list.row_count(); ++row) list.set_ticked(row, tick_all_state == 1);
}

namespace {

bool name_holds(const Text& song_name, const Text& wanted) {
    return !wanted.empty() && find_marker(song_name, wanted, 1, true) != -1;
}

}  // namespace

// Every click searches from the top, so the upper of two matching rows always wins. The box is
// read again for each row: the user may change it while the window handles its events.
void find_in_list(MainWindow& window) {
    Controls& controls = window.controls();
    QLineEdit& search_box = *controls.编辑框_搜;
    if (search_box.text().isEmpty()) {
        search_box.setText(ui_text("搜你喜欢~"));
        return;
    }
    SongListWidget& list = *controls.超级列表框1;
    for (int row = 0; row < list.row_count(); ++row) {
        if (name_holds(list.cell_text(row, k_column_name), from_qstring(search_box.text()))) {
            list.set_focus();
            list.ensure_visible(row);
            list.set_current_selection(row);
            return;
        }
        process_pending_events();
    }
}

void clear_search_text(MainWindow& window) { window.controls().编辑框_搜->clear(); }

}  // namespace melkora
