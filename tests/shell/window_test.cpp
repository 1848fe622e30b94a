// The window against its description, the created sequence, the message box and the guard's prompts.
#include <QAudioOutput>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMediaPlayer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

#include <memory>
#include <vector>

#include "catalogue/song_list_widget.h"
#include "shell/controls.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/qt_text.h"
#include "shell/window_created.h"

using namespace melkora;

namespace {

QString text_of(QObject* control) {
    if (auto* link = qobject_cast<Hyperlink*>(control)) return link->caption();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* box = qobject_cast<QTextEdit*>(control)) return box->toPlainText();
    return {};
}

// Boxes answered from a list, as a user would click them; every box is kept for inspection.
struct AnsweringUser {
    explicit AnsweringUser(std::vector<MessageAnswer> answers)
        : answers_(std::move(answers)), hook_([this](const MessageBoxCall& call) {
              boxes.push_back(call);
              const std::size_t index = boxes.size() - 1;
              return index < answers_.size() ? answers_[index] : closing_answer(call.buttons);
          }) {}
    std::vector<MessageBoxCall> boxes;

private:
    std::vector<MessageAnswer> answers_;
    ScopedMessageBoxAnswerer hook_;
};

}  // namespace

Q_DECLARE_METATYPE(StartDecision)
Q_DECLARE_METATYPE(std::vector<MessageAnswer>)

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { window_ = std::make_unique<MainWindow>(state_); }
    void cleanup() { window_.reset(); }

    void control_matches_description_data();
    void control_matches_description();
    void window_has_caption_size_and_no_maximize_box();
    void hidden_and_stopped_controls_start_idle();
    void sliders_have_range_steps_and_direction_data();
    void sliders_have_range_steps_and_direction();
    void fonts_and_colours_as_described();
    void overlapping_controls_stack_as_described();
    void lyrics_box_accepts_no_typing();
    void first_start_shows_window_ten_pixels_taller();
    void slider_reports_user_moves_only_data();
    void slider_reports_user_moves_only();
    void volume_key_up_moves_the_handle_up();
    void message_box_caption_defaults_data();
    void message_box_caption_defaults();
    void second_copy_prompts_decide_data();
    void second_copy_prompts_decide();
    void second_copy_prompts_show_their_texts();
    void text_crosses_the_widget_boundary_unchanged_data();
    void text_crosses_the_widget_boundary_unchanged();

private:
    ProgramState state_;
    std::unique_ptr<MainWindow> window_;
};

void WindowTest::control_matches_description_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, const char* kind, QRect place, const QString& text) {
        QTest::newRow(name) << ui_text(name) << QString::fromLatin1(kind) << place << text;
    };
    row("超级链接框2", "melkora::Hyperlink", {712, 648, 136, 32}, ui_text("给我建议"));
    row("超级链接框1", "melkora::Hyperlink", {588, 649, 136, 32}, ui_text("更多软件下载"));
    row("选择框2", "melkora::WrappingCheckBox", {359, 605, 128, 32}, ui_text("播放页面 自由排版     勾选编辑保存"));
    row("列表框_预热", "melkora::SpacedListBox", {8, 32, 209, 162}, {});
    row("滑块条_音量", "melkora::Slider", {792, 532, 17, 60}, {});
    row("标签_音量", "melkora::FittedLabel", {791, 520, 28, 89}, ui_text("%\r\n\r\n\r\n\r\n\r\n\r\n音量"));
    row("按钮_搜", "QPushButton", {478, 7, 48, 24}, ui_text("搜~"));
    row("标签1", "QLabel", {302, 8, 54, 24}, ui_text("目录搜索："));
    row("编辑框_搜", "QLineEdit", {360, 8, 112, 24}, ui_text("搜你喜欢~"));
    row("编辑框_歌词", "QTextEdit", {543, 144, 274, 328}, {});
    row("图片框_image", "QLabel", {615, 24, 144, 112}, {});
    row("标签_name", "melkora::FeedbackLabel", {543, 488, 280, 24}, ui_text("Melkora · 搜歌 试听 批量下载"));
    row("标签_时间", "QLabel", {551, 616, 256, 24}, ui_text("时间控制 - Zendrel"));
    row("按钮_停止", "QPushButton", {647, 560, 72, 32}, ui_text("停止"));
    row("滑块条_进度", "melkora::Slider", {535, 528, 256, 24}, {});
    row("选择框1", "melkora::WrappingCheckBox", {216, 594, 128, 16}, ui_text("利用 回调接口下载"));
    row("编辑框_保存目录", "QLineEdit", {8, 602, 184, 24}, QDir::homePath() + ui_text("/抖音歌曲cc/"));
    row("按钮_下载", "QPushButton", {213, 610, 127, 27}, ui_text("下载选中歌曲"));
    row("按钮_获取", "QPushButton", {222, 8, 74, 24}, ui_text("获取列表"));
    row("超级列表框1", "melkora::SongListWidget", {8, 42, 520, 552}, {});
    row("编辑框_输入", "QLineEdit", {8, 8, 209, 24}, ui_text("抖音"));
}

void WindowTest::control_matches_description() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    auto* control = window_->findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QCOMPARE(control->parentWidget(), window_.get());
    QCOMPARE(control->geometry(), place);
    QCOMPARE(text_of(control), text);
    if (auto* box = qobject_cast<QCheckBox*>(control)) QVERIFY(!box->isChecked());
}

void WindowTest::window_has_caption_size_and_no_maximize_box() {
    QCOMPARE(window_->windowTitle(), ui_text("<<Tavrin>>Melkora      "));
    QVERIFY(window_->windowTitle().endsWith(QString(6, QLatin1Char(' '))));
    window_->show_centred();
    QCOMPARE(window_->outer_size(), QSize(837, 713));
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    // Controls keep their places when the window changes size.
    const QRect stop_place = window_->controls().按钮_停止->geometry();
    window_->set_outer_size(600, 500);
    QCOMPARE(window_->controls().按钮_停止->geometry(), stop_place);
}

void WindowTest::hidden_and_stopped_controls_start_idle() {
    Controls& c = window_->controls();
    window_->show_centred();
    QVERIFY(!c.列表框_预热->isVisible());
    QCOMPARE(c.列表框_预热->count(), 0);
    QCOMPARE(c.列表框_预热->currentRow(), -1);
    QVERIFY(!c.列表框_预热->isSortingEnabled());
    QCOMPARE(c.时钟1->objectName(), ui_text("时钟1"));
    QCOMPARE(c.时钟1->period(), 0);
    QCOMPARE(c.媒体播放->objectName(), ui_text("媒体播放"));
    QVERIFY(c.媒体播放->source().isEmpty());
    QVERIFY(c.图片框_image->pixmap().isNull());
    QVERIFY(c.图片框_image->hasScaledContents());
    QCOMPARE(c.超级列表框1->row_count(), 0);
    QVERIFY(c.编辑框_歌词->isReadOnly());
    QCOMPARE(c.编辑框_歌词->frameShape(), QFrame::NoFrame);
    QCOMPARE(c.编辑框_歌词->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(c.编辑框_歌词->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(c.编辑框_保存目录->text().endsWith(QLatin1Char('/')));
}

void WindowTest::sliders_have_range_steps_and_direction_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<bool>("zero_at_top_or_left");
    QTest::newRow("volume") << ui_text("滑块条_音量") << 60 << Qt::Vertical << true;
    QTest::newRow("progress") << ui_text("滑块条_进度") << 0 << Qt::Horizontal << true;
}

void WindowTest::sliders_have_range_steps_and_direction() {
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(Qt::Orientation, orientation);
    QFETCH(bool, zero_at_top_or_left);
    auto* bar = window_->findChild<Slider*>(name);
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->value(), position);
    QCOMPARE(bar->orientation(), orientation);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->pageStep(), 5);
    QCOMPARE(bar->singleStep(), 1);
    // Qt puts a vertical slider's minimum at the bottom unless its appearance is inverted.
    const bool zero_first = orientation == Qt::Vertical ? bar->invertedAppearance() : !bar->invertedAppearance();
    QCOMPARE(zero_first, zero_at_top_or_left);
}

void WindowTest::fonts_and_colours_as_described() {
    Controls& c = window_->controls();
    QCOMPARE(c.标签_name->font().pixelSize(), 17);
    QCOMPARE(c.标签_name->font().weight(), QFont::Bold);
    QCOMPARE(c.列表框_预热->font().pixelSize(), 16);
    QCOMPARE(c.列表框_预热->font().weight(), QFont::Normal);
    QCOMPARE(c.编辑框_搜->palette().color(QPalette::Text), QColor(0, 224, 128));
    QCOMPARE(c.编辑框_搜->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(c.编辑框_输入->palette().color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(c.编辑框_输入->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(c.编辑框_搜->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(c.编辑框_输入->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(c.编辑框_保存目录->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    // Suggestions stand apart by six pixels more than plain lines.
    c.列表框_预热->addItem(ui_text("晴天"));
    QListWidget plain;
    plain.setFont(c.列表框_预热->font());
    plain.addItem(ui_text("晴天"));
    QCOMPARE(c.列表框_预热->sizeHintForRow(0), plain.sizeHintForRow(0) + 6);
}

void WindowTest::overlapping_controls_stack_as_described() {
    Controls& c = window_->controls();
    window_->show_centred();
    c.列表框_预热->show();
    const auto topmost_is = [this](QPoint point, QWidget* expected) {
        QWidget* hit = window_->childAt(point);
        return hit == expected || expected->isAncestorOf(hit);
    };
    QVERIFY(topmost_is({20, 100}, c.列表框_预热));         // over the top of the song list
    QVERIFY(topmost_is({800, 560}, c.滑块条_音量));         // in the middle of the volume label
    QVERIFY(topmost_is({795, 522}, c.标签_音量));           // the label's first line, above the bar
}

void WindowTest::lyrics_box_accepts_no_typing() {
    window_->show_centred();
    QTest::keyClicks(window_->controls().编辑框_歌词, QStringLiteral("abc"));
    QCOMPARE(window_->controls().编辑框_歌词->toPlainText(), QString());
}

void WindowTest::first_start_shows_window_ten_pixels_taller() {
    window_->show_centred();
    // A stray copy of this test's name elsewhere would prompt; run on if it does.
    AnsweringUser user({MessageAnswer::yes, MessageAnswer::ok, MessageAnswer::ok});
    QCOMPARE(main_window_created(*window_), StartDecision::run_on);
    QCOMPARE(window_->outer_size(), QSize(837, 723));
}

void WindowTest::slider_reports_user_moves_only_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("action");
    QTest::addColumn<QList<int>>("reported");
    QTest::newRow("line step") << 50 << int(QAbstractSlider::SliderSingleStepAdd) << QList<int>{51};
    QTest::newRow("page step") << 50 << int(QAbstractSlider::SliderPageStepSub) << QList<int>{45};
    QTest::newRow("step at the end moves nothing") << 100 << int(QAbstractSlider::SliderSingleStepAdd)
                                                    << QList<int>{};
}

// A program-set position never raises the event, also right after a user action that moved
// nothing.
void WindowTest::slider_reports_user_moves_only() {
    QFETCH(int, start);
    QFETCH(int, action);
    QFETCH(QList<int>, reported);
    Slider& bar = *window_->controls().滑块条_进度;
    bar.setValue(start);
    QSignalSpy spy(&bar, &Slider::position_changed_by_user);
    bar.triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
    bar.setValue(10);
    bar.setValue(20);
    QList<int> seen;
    for (const QList<QVariant>& call : spy) seen << call.at(0).toInt();
    QCOMPARE(seen, reported);
}

void WindowTest::volume_key_up_moves_the_handle_up() {
    Slider& bar = *window_->controls().滑块条_音量;
    QSignalSpy spy(&bar, &Slider::position_changed_by_user);
    QTest::keyClick(&bar, Qt::Key_Up);
    QCOMPARE(bar.value(), 59);
    QCOMPARE(spy.count(), 1);
}

void WindowTest::message_box_caption_defaults_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no caption") << QString() << ui_text("信息：");
    QTest::newRow("own caption") << ui_text("询问") << ui_text("询问");
}

void WindowTest::message_box_caption_defaults() {
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    AnsweringUser user({MessageAnswer::ok});
    QCOMPARE(message_box(ansi("数据解析出错"), MessageIcon::none, MessageButtons::ok, from_qstring(caption)),
             MessageAnswer::ok);
    QCOMPARE(user.boxes.size(), std::size_t{1});
    QCOMPARE(to_qstring(user.boxes[0].caption), shown);
    QCOMPARE(to_qstring(user.boxes[0].text), ui_text("数据解析出错"));
}

void WindowTest::second_copy_prompts_decide_data() {
    QTest::addColumn<std::vector<MessageAnswer>>("answers");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<StartDecision>("decision");
    QTest::newRow("no") << std::vector{MessageAnswer::no} << 1 << StartDecision::end_program;
    QTest::newRow("yes then cancel") << std::vector{MessageAnswer::yes, MessageAnswer::cancel} << 2
                                     << StartDecision::end_program;
    QTest::newRow("yes then closed") << std::vector{MessageAnswer::yes} << 2 << StartDecision::end_program;
    QTest::newRow("yes then ok") << std::vector{MessageAnswer::yes, MessageAnswer::ok} << 3 << StartDecision::run_on;
}

void WindowTest::second_copy_prompts_decide() {
    QFETCH(std::vector<MessageAnswer>, answers);
    QFETCH(int, boxes);
    QFETCH(StartDecision, decision);
    AnsweringUser user(answers);
    QCOMPARE(ask_about_second_copy(), decision);
    QCOMPARE(static_cast<int>(user.boxes.size()), boxes);
}

void WindowTest::second_copy_prompts_show_their_texts() {
    AnsweringUser user({MessageAnswer::yes, MessageAnswer::ok, MessageAnswer::ok});
    ask_about_second_copy();
    QCOMPARE(user.boxes.size(), std::size_t{3});
    QCOMPARE(to_qstring(user.boxes[0].text), ui_text("程序已经运行了，是否多开？"));
    QCOMPARE(to_qstring(user.boxes[0].caption), ui_text("询问你要不要多开啊:"));
    QCOMPARE(user.boxes[0].buttons, MessageButtons::yes_no);
    QCOMPARE(to_qstring(user.boxes[1].text),
             ui_text("多开后不建议，批量访问下载 这样网络将会最大输出，可能会造成其他软件网络波动(断开),\r\n\r\n"
                     "     你确定想好了 - 多开 - 了吗？"));
    QCOMPARE(to_qstring(user.boxes[1].caption), ui_text("信息："));
    QCOMPARE(user.boxes[1].buttons, MessageButtons::ok_cancel);
    QCOMPARE(to_qstring(user.boxes[2].text), ui_text("其实我是不建议多开的。哎！！！！"));
    QCOMPARE(to_qstring(user.boxes[2].caption), ui_text("信息："));
    QCOMPARE(user.boxes[2].buttons, MessageButtons::ok);
}

void WindowTest::text_crosses_the_widget_boundary_unchanged_data() {
    QTest::addColumn<QString>("utf8");
    QTest::newRow("ascii") << QStringLiteral("hash 0A1b");
    QTest::newRow("chinese") << QString::fromUtf8("抖音歌曲 - 周杰伦");
    QTest::newRow("outside gbk") << QString::fromUtf8("아이유 🎵 Ünïcödé");
    QTest::newRow("empty") << QString();
}

// Song names outside GBK (Korean, emoji) survive the round trip to the code page and back.
void WindowTest::text_crosses_the_widget_boundary_unchanged() {
    QFETCH(QString, utf8);
    const Text text = from_qstring(utf8);
    QCOMPARE(to_qstring(text), utf8);
    QCOMPARE(text, ansi(utf8.toUtf8().toStdString()));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
