#include "shell/main_window.h"

#include <QAudioOutput>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#include "catalogue/song_list_widget.h"
#include "shell/controls.h"
#include "shell/handlers.h"
#include "shell/qt_text.h"
#include "web/pending_events.h"

namespace melkora {

namespace {

constexpr int k_window_width = 837;
constexpr int k_window_height = 713;

template <typename Control>
Control* place(Control* control, const char* name, QRect place_and_size) {
    control->setObjectName(ui_text(name));
    control->setGeometry(place_and_size);
    return control;
}

QFont font_of_height(const QFont& base, int pixels, QFont::Weight weight) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

void colour_text(QWidget& control, const QColor& text, const QColor& background) {
    QPalette colours = control.palette();
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, background);
    control.setPalette(colours);
}

QCheckBox* check_box(const char* caption, QWidget* parent) {
    auto* box = new WrappingCheckBox(ui_text(caption), parent);
    box->setChecked(false);
    return box;
}

Slider* slider(Qt::Orientation orientation, int position, QWidget* parent) {
    auto* bar = new Slider(orientation, parent);
    bar->setRange(0, 100);
    bar->setPageStep(5);
    bar->setSingleStep(1);
    bar->setValue(position);
    return bar;
}

QLineEdit* one_line_edit(const QString& text, Qt::Alignment alignment, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setAlignment(alignment | Qt::AlignVCenter);
    return edit;
}

// Songs are saved under the user's home, the Linux counterpart of a folder on drive D.
QString default_save_directory() { return QDir::homePath() + ui_text("/抖音歌曲cc/"); }

}  // namespace

MainWindow::MainWindow(ProgramState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      state_(state) {
    setWindowTitle(ui_text("<<Tavrin>>Melkora      "));
    // The sizes of the window description assume a 12-pixel interface font.
    setFont(font_of_height(font(), 12, QFont::Normal));
    create_controls();
    stack_overlapping_controls();
    bind_events();
    set_pending_events_hook([] { QCoreApplication::processEvents(); });
    resize(k_window_width, k_window_height);
}

MainWindow::~MainWindow() { set_pending_events_hook({}); }

void MainWindow::create_controls() {
    Controls& c = controls_;
    c.超级链接框2 = place(new Hyperlink(ui_text("给我建议"), QUrl(QStringLiteral("mailto:feedback@melkora.example.org")), this),
                     "超级链接框2", {712, 648, 136, 32});
    c.超级链接框1 = place(new Hyperlink(ui_text("更多软件下载"), QUrl(QStringLiteral("https://melkora.example.org/")), this),
                     "超级链接框1", {588, 649, 136, 32});
    c.选择框2 = place(check_box("播放页面 自由排版     勾选编辑保存", this), "选择框2", {359, 605, 128, 32});

    c.列表框_预热 = place(new SpacedListBox(6, this), "列表框_预热", {8, 32, 209, 162});
    c.列表框_预热->setFont(font_of_height(font(), 16, QFont::Normal));
    c.列表框_预热->setSortingEnabled(false);
    c.列表框_预热->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    c.列表框_预热->hide();

    // The volume bar's top end is full volume: position 0 sits at the top, and Up moves towards it.
    c.滑块条_音量 = place(slider(Qt::Vertical, 60, this), "滑块条_音量", {792, 532, 17, 60});
    c.滑块条_音量->setInvertedAppearance(true);
    c.滑块条_音量->setInvertedControls(true);
    c.标签_音量 = place(new FittedLabel(ui_text("%\r\n\r\n\r\n\r\n\r\n\r\n音量"), this), "标签_音量", {791, 520, 28, 89});
    c.标签_音量->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    create_top_row();
    create_play_page();
    create_download_row();
}

void MainWindow::create_top_row() {
    Controls& c = controls_;
    c.按钮_搜 = place(new QPushButton(ui_text("搜~"), this), "按钮_搜", {478, 7, 48, 24});
    c.标签1 = place(new QLabel(ui_text("目录搜索："), this), "标签1", {302, 8, 54, 24});
    c.编辑框_搜 = place(one_line_edit(ui_text("搜你喜欢~"), Qt::AlignHCenter, this), "编辑框_搜", {360, 8, 112, 24});
    colour_text(*c.编辑框_搜, QColor(0, 224, 128), Qt::white);
}

void MainWindow::create_play_page() {
    Controls& c = controls_;
    c.编辑框_歌词 = place(new QTextEdit(this), "编辑框_歌词", {543, 144, 274, 328});
    c.编辑框_歌词->setReadOnly(true);
    c.编辑框_歌词->setFrameShape(QFrame::NoFrame);
    c.编辑框_歌词->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.编辑框_歌词->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.编辑框_歌词->setAcceptRichText(false);
    c.编辑框_歌词->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    QPalette lyric_colours = c.编辑框_歌词->palette();
    lyric_colours.setColor(QPalette::Base, lyric_colours.color(QPalette::Window));
    c.编辑框_歌词->setPalette(lyric_colours);

    c.图片框_image = place(new QLabel(this), "图片框_image", {615, 24, 144, 112});
    c.图片框_image->setScaledContents(true);
    c.标签_name = place(new FeedbackLabel(ui_text("Melkora · 搜歌 试听 批量下载"), this), "标签_name", {543, 488, 280, 24});
    c.标签_name->setFont(font_of_height(font(), 17, QFont::Bold));
    c.时钟1 = new Clock(this);
    c.时钟1->setObjectName(ui_text("时钟1"));
    c.标签_时间 = place(new QLabel(ui_text("时间控制 - Zendrel"), this), "标签_时间", {551, 616, 256, 24});
    c.按钮_停止 = place(new QPushButton(ui_text("停止"), this), "按钮_停止", {647, 560, 72, 32});
    c.滑块条_进度 = place(slider(Qt::Horizontal, 0, this), "滑块条_进度", {535, 528, 256, 24});
    c.媒体播放 = new QMediaPlayer(this);
    c.媒体播放->setObjectName(ui_text("媒体播放"));
    audio_output_ = new QAudioOutput(this);
    c.媒体播放->setAudioOutput(audio_output_);
}

void MainWindow::create_download_row() {
    Controls& c = controls_;
    c.选择框1 = place(check_box("利用 回调接口下载", this), "选择框1", {216, 594, 128, 16});
    c.编辑框_保存目录 = place(one_line_edit(default_save_directory(), Qt::AlignLeft, this), "编辑框_保存目录",
                            {8, 602, 184, 24});
    c.按钮_下载 = place(new QPushButton(ui_text("下载选中歌曲"), this), "按钮_下载", {213, 610, 127, 27});
    c.按钮_获取 = place(new QPushButton(ui_text("获取列表"), this), "按钮_获取", {222, 8, 74, 24});
    c.超级列表框1 = place(new SongListWidget(this), "超级列表框1", {8, 42, 520, 552});
    c.编辑框_输入 = place(one_line_edit(ui_text("抖音"), Qt::AlignHCenter, this), "编辑框_输入", {8, 8, 209, 24});
    colour_text(*c.编辑框_输入, Qt::black, Qt::white);
}

// The suggestions cover the top of the song list; the volume bar sits in the middle of its
// label, whose first and last lines show above and below it.
void MainWindow::stack_overlapping_controls() {
    controls_.列表框_预热->raise();
    controls_.滑块条_音量->raise();
}

void MainWindow::bind_events() {
    Controls& c = controls_;
    connect(c.选择框2, &QCheckBox::clicked, this, [this] { toggle_free_layout(*this); });
    connect(c.滑块条_音量, &Slider::position_changed_by_user, this, [this] { apply_volume(*this); });
    connect(c.按钮_搜, &QPushButton::clicked, this, [this] { find_in_list(*this); });
    connect(c.标签_name, &FeedbackLabel::feedback, this, [this](int percent) { on_play_feedback(*this, percent); });
    connect(c.时钟1, &Clock::elapsed, this, [this] { on_clock_tick(*this); });
    connect(c.按钮_停止, &QPushButton::clicked, this, [this] { stop_playback(*this); });
    connect(c.滑块条_进度, &Slider::position_changed_by_user, this, [this] { seek_to_progress(*this); });
    connect(c.选择框1, &QCheckBox::clicked, this, [this] { toggle_external_mode(*this); });
    connect(c.按钮_下载, &QPushButton::clicked, this, [this] { download_ticked_songs(*this); });
    connect(c.按钮_获取, &QPushButton::clicked, this, [this] { get_list_clicked(*this); });
    connect(c.超级列表框1, &SongListWidget::header_clicked, this, [this](int column) { header_clicked(*this, column); });
    connect(c.超级列表框1, &SongListWidget::row_double_clicked, this, [this] { play_selected_song(*this); });
    connect(c.编辑框_输入, &QLineEdit::textChanged, this, [this] { show_suggestions(*this); });
    bind_mouse_and_key_events();
}

// Key presses and mouse buttons reach the handlers through this window's event filter.
void MainWindow::bind_mouse_and_key_events() {
    Controls& c = controls_;
    for (QObject* watched : std::initializer_list<QObject*>{
             c.列表框_预热, c.列表框_预热->viewport(), c.滑块条_音量, c.标签_音量, c.编辑框_搜, c.编辑框_歌词->viewport(),
             c.图片框_image, c.标签_name, c.标签_时间, c.按钮_停止, c.滑块条_进度, c.编辑框_输入}) {
        watched->installEventFilter(this);
    }
}

namespace {

bool is_left_button(QEvent* event, QEvent::Type type) {
    return event->type() == type && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    Controls& c = controls_;
    if (event->type() == QEvent::KeyPress) {
        const int key_code = virtual_key_code(*static_cast<QKeyEvent*>(event));
        // The key handlers look at the key; the control still handles it as usual.
        if (watched == c.编辑框_输入) input_key_pressed(*this, key_code);
        if (watched == c.列表框_预热) suggestion_key_pressed(*this, key_code);
        return false;
    }
    if (is_left_button(event, QEvent::MouseButtonRelease) && watched == c.列表框_预热->viewport()) {
        suggestion_clicked(*this);
        return false;
    }
    if (!is_left_button(event, QEvent::MouseButtonPress)) return false;
    if (watched == c.编辑框_搜) {
        clear_search_text(*this);
        return false;
    }
    // A press inside the lyrics box lands on its viewport; the drag moves the box itself.
    QWidget* control = watched == c.编辑框_歌词->viewport() ? c.编辑框_歌词 : qobject_cast<QWidget*>(watched);
    if (control == nullptr || control == c.列表框_预热 || control == c.列表框_预热->viewport()) return false;
    return start_control_drag(*this, *control);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    delete_temp_copy(*this);
    event->accept();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    window_moved(*this);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    window_resized(*this);
}

QSize MainWindow::outer_size() const { return frameGeometry().size(); }

void MainWindow::set_outer_size(int width, int height) {
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(width - frame.width(), height - frame.height());
}

// The frame is known only once the window is on the screen; the window description's size
// includes it.
void MainWindow::show_centred() {
    show();
    set_outer_size(k_window_width, k_window_height);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace melkora
