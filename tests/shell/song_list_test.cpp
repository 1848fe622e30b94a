// The song list view: its columns, its operations, the tick-all header and the in-list search,
// driven through the real window with mouse clicks.
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "catalogue/song_list_widget.h"
#include "shell/main_window.h"
#include "shell/qt_text.h"

using namespace melkora;

namespace {

struct Song {
    const char* name;
    const char* hash;
};

}  // namespace

Q_DECLARE_METATYPE(std::vector<Song>)

class SongListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window_.reset(); }

    void columns_have_titles_and_widths_data();
    void columns_have_titles_and_widths();
    void view_is_a_flat_unsorted_read_only_list();
    void rows_hold_code_page_texts_and_ticks();
    void out_of_range_rows_are_quietly_ignored();
    void selection_stays_visible_without_focus();
    void header_clicks_tick_and_untick_all_data();
    void header_clicks_tick_and_untick_all();
    void find_selects_first_matching_name_data();
    void find_selects_first_matching_name();
    void find_with_empty_box_fills_it_and_searches_nothing();
    void find_scrolls_the_match_into_view();
    void press_in_search_box_clears_it_data();
    void press_in_search_box_clears_it();

private:
    SongListWidget& list() { return *window_->controls().超级列表框1; }
    void fill(const std::vector<Song>& songs);
    void click_header(int column);
    void click_find();
    QString ticks();

    ProgramState state_;
    std::unique_ptr<MainWindow> window_;
};

void SongListTest::init() {
    state_ = ProgramState{};
    window_ = std::make_unique<MainWindow>(state_);
    window_->show_centred();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void SongListTest::fill(const std::vector<Song>& songs) {
    for (const Song& song : songs) {
        const int row = list().insert_row();
        list().set_cell_text(row, k_column_index, std::to_string(row));
        list().set_cell_text(row, k_column_name, ansi(song.name));
        list().set_cell_text(row, k_column_hash, song.hash);
    }
}

void SongListTest::click_header(int column) {
    QHeaderView& header = *list().header();
    const QPoint inside(header.sectionViewportPosition(column) + header.sectionSize(column) / 2, header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, inside);
}

void SongListTest::click_find() { QTest::mouseClick(window_->controls().按钮_搜, Qt::LeftButton); }

// One letter per row: x ticked, . not ticked.
QString SongListTest::ticks() {
    QString marks;
    for (int row = 0; row < list().row_count(); ++row) marks += QLatin1Char(list().is_ticked(row) ? 'x' : '.');
    return marks;
}

void SongListTest::columns_have_titles_and_widths_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("width");
    QTest::newRow("index") << 0 << ui_text("索引") << 50;
    QTest::newRow("name") << 1 << ui_text("歌名 [点击全选]") << 180;
    QTest::newRow("hash") << 2 << QStringLiteral("hash") << 80;
    QTest::newRow("album id, unseen") << 3 << QStringLiteral("album_id") << 0;
    QTest::newRow("details address, unseen") << 4 << QStringLiteral("URL") << 0;
    QTest::newRow("progress") << 5 << ui_text("已下载进度") << 120;
    QTest::newRow("state") << 6 << ui_text("下载状态") << 80;
}

void SongListTest::columns_have_titles_and_widths() {
    QFETCH(int, column);
    QFETCH(QString, title);
    QFETCH(int, width);
    QCOMPARE(list().columnCount(), 7);
    QCOMPARE(list().headerItem()->text(column), title);
    QCOMPARE(list().columnWidth(column), width);
    QCOMPARE(list().header()->isSectionHidden(column), false);
    QCOMPARE(list().header()->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

void SongListTest::view_is_a_flat_unsorted_read_only_list() {
    QVERIFY(!list().isSortingEnabled());
    QVERIFY(list().header()->sectionsClickable());
    QVERIFY(list().header()->isVisible());
    QCOMPARE(list().editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(list().selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list().selectionBehavior(), QAbstractItemView::SelectRows);
    fill({{"b", "2"}, {"a", "1"}});
    click_header(2);
    QCOMPARE(list().cell_text(0, k_column_name), Text("b"));
    QVERIFY(!(list().topLevelItem(0)->flags() & Qt::ItemIsEditable));
    QVERIFY(list().topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
}

void SongListTest::rows_hold_code_page_texts_and_ticks() {
    QCOMPARE(list().insert_row(), 0);
    QCOMPARE(list().insert_row(), 1);
    QCOMPARE(list().row_count(), 2);
    QVERIFY(!list().is_ticked(1));
    list().set_cell_text(1, k_column_url, "http://127.0.0.1/a?x=1");
    list().set_cell_text(1, k_column_state, ansi("下载完成"));
    QCOMPARE(list().cell_text(1, k_column_url), Text("http://127.0.0.1/a?x=1"));
    QCOMPARE(list().cell_text(1, k_column_state), ansi("下载完成"));
    QCOMPARE(list().topLevelItem(1)->text(k_column_state), ui_text("下载完成"));
    list().set_ticked(1, true);
    QCOMPARE(ticks(), QStringLiteral(".x"));
    list().set_current_selection(1);
    QCOMPARE(list().current_selection(), 1);
    list().set_current_selection(-1);
    QCOMPARE(list().current_selection(), -1);
    list().delete_all_rows();
    QCOMPARE(list().row_count(), 0);
    QCOMPARE(list().current_selection(), -1);
}

void SongListTest::out_of_range_rows_are_quietly_ignored() {
    fill({{"only", "1"}});
    list().set_cell_text(5, k_column_name, "x");
    list().set_cell_text(0, 9, "x");
    list().set_ticked(-1, true);
    list().ensure_visible(7);
    QCOMPARE(list().cell_text(-1, 1), Text());
    QCOMPARE(list().cell_text(0, 7), Text());
    QVERIFY(!list().is_ticked(3));
    QCOMPARE(list().row_count(), 1);
    QCOMPARE(ticks(), QStringLiteral("."));
}

void SongListTest::selection_stays_visible_without_focus() {
    const QPalette& colours = list().palette();
    QCOMPARE(colours.color(QPalette::Inactive, QPalette::Highlight), colours.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(colours.color(QPalette::Inactive, QPalette::HighlightedText),
             colours.color(QPalette::Active, QPalette::HighlightedText));
}

void SongListTest::header_clicks_tick_and_untick_all_data() {
    QTest::addColumn<QString>("steps");  // digits click that column's header; u unticks every row by hand
    QTest::addColumn<QString>("ticks");
    QTest::addColumn<int>("tick_all_state");
    QTest::newRow("first click ticks all") << QStringLiteral("1") << QStringLiteral("xxx") << 1;
    QTest::newRow("second click unticks all") << QStringLiteral("11") << QStringLiteral("...") << 0;
    QTest::newRow("other headers change nothing") << QStringLiteral("0256") << QStringLiteral("...") << 0;
    QTest::newRow("untick by hand, second click still unticks") << QStringLiteral("1u1") << QStringLiteral("...") << 0;
    QTest::newRow("then the third click ticks") << QStringLiteral("1u11") << QStringLiteral("xxx") << 1;
}

void SongListTest::header_clicks_tick_and_untick_all() {
    QFETCH(QString, steps);
    QFETCH(QString, ticks);
    QFETCH(int, tick_all_state);
    fill({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    for (const QChar step : steps) {
        if (step == QLatin1Char('u')) {
            for (int row = 0; row < list().row_count(); ++row) list().set_ticked(row, false);
        } else {
            click_header(step.digitValue());
        }
    }
    QCOMPARE(this->ticks(), ticks);
    QCOMPARE(state_.tick_all_state, tick_all_state);
}

void SongListTest::find_selects_first_matching_name_data() {
    QTest::addColumn<std::vector<Song>>("songs");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("selected");
    QTest::newRow("case ignored") << std::vector<Song>{{"one", "1"}, {"xABCy", "2"}} << QStringLiteral("abc") << 1;
    QTest::newRow("hash column not searched") << std::vector<Song>{{"one", "abc"}} << QStringLiteral("abc") << -1;
    QTest::newRow("upper of two matches")
        << std::vector<Song>{{"z", "1"}, {"Love story", "2"}, {"y", "3"}, {"love me", "4"}} << QStringLiteral("LOVE")
        << 1;
    QTest::newRow("chinese name") << std::vector<Song>{{"晴天", "1"}, {"七里香 - 周杰伦", "2"}} << ui_text("周杰伦")
                                  << 1;
    // 發 is B0 6C in the code page: its second byte is the letter l, which must not match L.
    QTest::newRow("second byte of a character is no letter") << std::vector<Song>{{"發行", "1"}} << QStringLiteral("L")
                                                            << -1;
    QTest::newRow("no match") << std::vector<Song>{{"a", "1"}, {"b", "2"}} << QStringLiteral("zzz") << -1;
    QTest::newRow("empty list") << std::vector<Song>{} << QStringLiteral("a") << -1;
}

void SongListTest::find_selects_first_matching_name() {
    QFETCH(std::vector<Song>, songs);
    QFETCH(QString, search);
    QFETCH(int, selected);
    fill(songs);
    window_->controls().编辑框_搜->setText(search);
    for (int click = 0; click < 2; ++click) {
        click_find();
        QCOMPARE(list().current_selection(), selected);
        QCOMPARE(window_->controls().编辑框_搜->text(), search);
    }
    if (selected >= 0) QTRY_VERIFY(list().hasFocus());
}

void SongListTest::find_with_empty_box_fills_it_and_searches_nothing() {
    fill({{"x", "1"}, {"我的搜你喜欢~合集", "2"}});
    QLineEdit& box = *window_->controls().编辑框_搜;
    box.clear();
    click_find();
    QCOMPARE(box.text(), ui_text("搜你喜欢~"));
    QCOMPARE(list().current_selection(), -1);
    click_find();  // now it searches for the placeholder itself
    QCOMPARE(list().current_selection(), 1);
}

void SongListTest::find_scrolls_the_match_into_view() {
    for (int row = 0; row < 300; ++row) {
        list().insert_row();
        list().set_cell_text(row, k_column_name, row == 250 ? "target" : "song " + std::to_string(row));
    }
    window_->controls().编辑框_搜->setText(QStringLiteral("TARGET"));
    click_find();
    QCOMPARE(list().current_selection(), 250);
    const QRect row_area = list().visualItemRect(list().topLevelItem(250));
    QVERIFY(row_area.top() >= 0);
    QVERIFY(row_area.bottom() < list().viewport()->height());
}

void SongListTest::press_in_search_box_clears_it_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("left button clears") << Qt::LeftButton << true;
    QTest::newRow("right button keeps") << Qt::RightButton << false;
}

void SongListTest::press_in_search_box_clears_it() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, cleared);
    QLineEdit& box = *window_->controls().编辑框_搜;
    box.setText(QStringLiteral("abc"));
    QTest::mousePress(&box, button);
    QCOMPARE(box.text().isEmpty(), cleared);
    QTest::mouseRelease(&box, button);
}

QTEST_MAIN(SongListTest)
#include "song_list_test.moc"
