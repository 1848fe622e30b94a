// The catalogue in the real window, against the sample service on loopback: suggestions while
// typing, the keys between the input box and the suggestions, and loading the song list.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <stdlib.h>

#include <memory>
#include <vector>

#include "catalogue/catalogue_addresses.h"
#include "catalogue/song_details.h"
#include "catalogue/song_list_widget.h"
#include "sampleservice/sample_answers.h"
#include "sampleservice/sample_service.h"
#include "shell/controls.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/qt_text.h"

using namespace melkora;

namespace {

QString utf8(const std::string& text) { return QString::fromStdString(text); }

void point_hosts_at(const std::string& host_port) {
    for (const char* name : {"MELKORA_SEARCH_HOST", "MELKORA_TIP_HOST", "MELKORA_WEB_HOST"})
        setenv(name, host_port.c_str(), 1);
}

std::string closed_host_port() {
    sample::SampleService gone({1, {}, 30});
    if (!gone.start()) return "127.0.0.1:9";
    auto host_port = gone.host_port();
    gone.stop();
    return host_port;
}

}  // namespace

class CatalogueWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(service_.start()); }
    void init();
    void cleanup();

    void typing_shows_suggestions_data();
    void typing_shows_suggestions();
    void keys_move_between_input_and_suggestions_data();
    void keys_move_between_input_and_suggestions();
    void enter_and_button_load_the_keyword_songs_data();
    void enter_and_button_load_the_keyword_songs();
    void pasted_list_address_loads_its_songs();
    void failed_loads_keep_the_rows_data();
    void failed_loads_keep_the_rows();
    void accepting_a_suggestion_loads_its_songs_data();
    void accepting_a_suggestion_loads_its_songs();
    void row_details_give_play_cover_and_lyrics();

private:
    Controls& controls() { return window_->controls(); }
    QStringList suggestion_texts();
    QWidget* focused() { return QApplication::focusWidget(); }
    void load_keyword(const QString& keyword);

    sample::SampleService service_;
    ProgramState state_;
    std::unique_ptr<MainWindow> window_;
    std::vector<MessageBoxCall> boxes_;
    std::unique_ptr<ScopedMessageBoxAnswerer> answerer_;
};

void CatalogueWindowTest::init() {
    point_hosts_at(service_.host_port());
    service_.clear_requests();
    service_.clear_canned_answers();
    state_ = ProgramState{};
    boxes_.clear();
    answerer_ = std::make_unique<ScopedMessageBoxAnswerer>([this](const MessageBoxCall& call) {
        boxes_.push_back(call);
        return MessageAnswer::ok;
    });
    window_ = std::make_unique<MainWindow>(state_);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void CatalogueWindowTest::cleanup() {
    window_.reset();
    answerer_.reset();
}

QStringList CatalogueWindowTest::suggestion_texts() {
    QStringList texts;
    for (int k = 0; k < controls().列表框_预热->count(); ++k) texts << controls().列表框_预热->item(k)->text();
    return texts;
}

void CatalogueWindowTest::load_keyword(const QString& keyword) {
    controls().编辑框_输入->setText(keyword);
    QTest::mouseClick(controls().按钮_获取, Qt::LeftButton);
}

void CatalogueWindowTest::typing_shows_suggestions_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QStringList>("hints");
    QStringList mira;
    for (const auto* song : service_.catalogue().search("mira")) mira << utf8(song->title);
    QTest::newRow("hints for the text") << QStringLiteral("mira") << true << mira;
    QTest::newRow("no hint hides the box") << QStringLiteral("qqqzzz") << true << QStringList{};
    QTest::newRow("failed request hides the box") << QStringLiteral("mira") << false << QStringList{};
}

void CatalogueWindowTest::typing_shows_suggestions() {
    QFETCH(QString, typed);
    QFETCH(bool, reachable);
    QFETCH(QStringList, hints);
    // Shown first by an earlier answer, so that hiding is seen too.
    controls().编辑框_输入->setText(QStringLiteral("Mi"));
    QVERIFY(controls().列表框_预热->isVisible());
    if (!reachable) point_hosts_at(closed_host_port());
    controls().编辑框_输入->clear();
    QTest::keyClicks(controls().编辑框_输入, typed);
    QCOMPARE(suggestion_texts(), hints);
    QCOMPARE(controls().列表框_预热->isVisible(), !hints.isEmpty());
    if (reachable) QCOMPARE(service_.requests(sample::k_tip_path).size(), std::size_t(2 + typed.size()));
}

void CatalogueWindowTest::keys_move_between_input_and_suggestions_data() {
    QTest::addColumn<QList<int>>("keys");  // the first goes to the input box, each next to the focus
    QTest::addColumn<bool>("click_elsewhere_after");
    QTest::addColumn<bool>("input_has_focus");
    QTest::addColumn<bool>("armed");
    QTest::newRow("down selects the first suggestion") << QList<int>{Qt::Key_Down} << false << false << false;
    QTest::newRow("up on the first item stays") << QList<int>{Qt::Key_Down, Qt::Key_Up} << false << false << false;
    QTest::newRow("up on the second item arms") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up} << false << false
                                                << true;
    QTest::newRow("down up up returns to the input")
        << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up} << false << true << false;
    QTest::newRow("down disarms") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down} << false
                                  << false << false;
    QTest::newRow("armed flag outlives a click elsewhere")
        << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up} << true << true << false;
}

void CatalogueWindowTest::keys_move_between_input_and_suggestions() {
    QFETCH(QList<int>, keys);
    QFETCH(bool, click_elsewhere_after);
    QFETCH(bool, input_has_focus);
    QFETCH(bool, armed);
    controls().编辑框_输入->setText(QStringLiteral("mira"));
    controls().编辑框_输入->setFocus();
    QTRY_COMPARE(focused(), controls().编辑框_输入);
    for (int key : keys) QTest::keyClick(focused(), Qt::Key(key));
    if (keys.size() == 1) QCOMPARE(controls().列表框_预热->currentRow(), 0);
    if (click_elsewhere_after) {
        // Somewhere else, then back into the list on a later item: the next Up returns at once.
        QTest::mouseClick(controls().编辑框_搜, Qt::LeftButton);
        controls().列表框_预热->setFocus();
        controls().列表框_预热->setCurrentRow(3);
        QTRY_COMPARE(focused(), controls().列表框_预热);
        QTest::keyClick(focused(), Qt::Key_Up);
    }
    QTRY_COMPARE(focused() == controls().编辑框_输入, input_has_focus);
    QCOMPARE(state_.up_key_armed, armed);
    if (input_has_focus) QCOMPARE(controls().编辑框_输入->selectedText(), QStringLiteral("mira"));
}

void CatalogueWindowTest::enter_and_button_load_the_keyword_songs_data() {
    QTest::addColumn<bool>("by_enter");
    QTest::newRow("enter in the input box") << true;
    QTest::newRow("get list button") << false;
}

void CatalogueWindowTest::enter_and_button_load_the_keyword_songs() {
    QFETCH(bool, by_enter);
    controls().编辑框_输入->clear();  // the box starts with the keyword; make its text change
    controls().编辑框_输入->setText(QStringLiteral("抖音"));
    QVERIFY(controls().列表框_预热->isVisible());
    if (by_enter)
        QTest::keyClick(controls().编辑框_输入, Qt::Key_Return);
    else
        QTest::mouseClick(controls().按钮_获取, Qt::LeftButton);
    QVERIFY(!controls().列表框_预热->isVisible());
    QVERIFY(boxes_.empty());
    const auto& songs = service_.catalogue().songs();
    QTreeWidget& list = *controls().超级列表框1;
    QCOMPARE(list.topLevelItemCount(), int(songs.size()));
    for (std::size_t row : {std::size_t(0), std::size_t(4), std::size_t(6), std::size_t(7), songs.size() - 1}) {
        const auto& song = songs[row];
        QTreeWidgetItem* item = list.topLevelItem(int(row));
        QCOMPARE(item->text(0), QString::number(row));
        QCOMPARE(item->text(1), utf8(song.file_name()));
        QCOMPARE(item->text(2), utf8(song.hash));
        QCOMPARE(item->text(3), utf8(song.album_id));
        QCOMPARE(item->text(4), to_qstring(details_address(song.hash, song.album_id)));
        QCOMPARE(item->text(5), QString());
    }
    QCOMPARE(list.topLevelItem(6)->text(1), QStringLiteral("아이유별 - 사랑해요 밤하늘"));
    QCOMPARE(list.topLevelItem(7)->text(1), QStringLiteral("晴天乐队 - 晴天 🌞 心情"));
}

void CatalogueWindowTest::pasted_list_address_loads_its_songs() {
    controls().编辑框_输入->setText(utf8(service_.playlist_address(1)));
    QVERIFY(!controls().列表框_预热->isVisible());
    QTest::keyClick(controls().编辑框_输入, Qt::Key_Return);
    QCOMPARE(controls().超级列表框1->topLevelItemCount(), 30);
    QCOMPARE(controls().超级列表框1->topLevelItem(4)->text(1), utf8(service_.catalogue().songs()[4].file_name()));
    QVERIFY(boxes_.empty());
}

void CatalogueWindowTest::failed_loads_keep_the_rows_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("says_parse_error");
    QTest::newRow("search without match") << QStringLiteral("没有这首歌zz") << true;
    QTest::newRow("unreachable list page") << utf8("http://" + closed_host_port() + "/songlist/1.html") << false;
    QTest::newRow("list page not found") << utf8(service_.origin() + "/songlist/77.html") << false;
}

void CatalogueWindowTest::failed_loads_keep_the_rows() {
    QFETCH(QString, source);
    QFETCH(bool, says_parse_error);
    load_keyword(QStringLiteral("mira"));
    QCOMPARE(controls().超级列表框1->topLevelItemCount(), 5);
    load_keyword(source);
    QCOMPARE(controls().超级列表框1->topLevelItemCount(), 5);
    QCOMPARE(controls().超级列表框1->topLevelItem(0)->text(1), utf8(service_.catalogue().search("mira")[0]->file_name()));
    QCOMPARE(boxes_.size(), std::size_t(says_parse_error ? 1 : 0));
    if (!says_parse_error) return;
    QCOMPARE(to_qstring(boxes_[0].text), QStringLiteral("数据解析出错"));
    QCOMPARE(to_qstring(boxes_[0].caption), QStringLiteral("信息："));
    QCOMPARE(boxes_[0].buttons, MessageButtons::ok);
}

void CatalogueWindowTest::accepting_a_suggestion_loads_its_songs_data() {
    QTest::addColumn<int>("row");  // -1: none selected
    QTest::addColumn<bool>("by_click");
    QTest::newRow("enter on the third hint") << 2 << false;
    QTest::newRow("click on the second hint") << 1 << true;
    QTest::newRow("enter with nothing selected") << -1 << false;
}

void CatalogueWindowTest::accepting_a_suggestion_loads_its_songs() {
    QFETCH(int, row);
    QFETCH(bool, by_click);
    controls().编辑框_输入->setText(QStringLiteral("mira"));
    QListWidget& box = *controls().列表框_预热;
    QVERIFY(box.count() > 2);
    const QString chosen = row >= 0 ? box.item(row)->text() : QString();
    box.setFocus();
    box.setCurrentRow(row);
    if (by_click)
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, box.visualItemRect(box.item(row)).center());
    else
        QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(controls().编辑框_输入->text(), chosen);
    QVERIFY(!box.isVisible());
    const auto found = service_.catalogue().search(chosen.toStdString());
    QCOMPARE(controls().超级列表框1->topLevelItemCount(), int(found.size()));
    QCOMPARE(boxes_.size(), std::size_t(found.empty() ? 1 : 0));
}

void CatalogueWindowTest::row_details_give_play_cover_and_lyrics() {
    load_keyword(ui_text("抖音"));
    const int row = 6;
    const auto& song = service_.catalogue().songs()[row];
    Text cover;
    Text lyrics;
    Text play = lookup_song_details(controls().超级列表框1->cell_text(row, k_column_url), cover, lyrics);
    QCOMPARE(utf8(play), utf8(service_.origin() + "/audio/" + song.hash + ".mp3"));
    QCOMPARE(utf8(cover), utf8(service_.origin() + "/cover/" + song.hash + ".jpg"));
    QCOMPARE(to_qstring(lyrics), utf8(sample::lyrics_of(song)));
    QVERIFY(to_qstring(lyrics).contains(QStringLiteral("\r\n[00:01.20]first line\r\n")));
}

QTEST_MAIN(CatalogueWindowTest)
#include "catalogue_window_test.moc"
