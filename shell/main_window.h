#pragma once
// The program's one window. It owns every control and binds each control event to its handler
// (shell/handlers.h); the handlers reach the controls by name through controls().
#include <QWidget>

#include "shell/program_state.h"

class QAudioOutput;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMediaPlayer;
class QPushButton;
class QTextEdit;

namespace melkora {

class Clock;
class FeedbackLabel;
class Hyperlink;
class Slider;
class SongListWidget;
class SpacedListBox;

// The controls under the names of the window description, which are also their object names
// and the keys of the layout file.
struct Controls {
    Hyperlink* 超级链接框2 = nullptr;
    Hyperlink* 超级链接框1 = nullptr;
    QCheckBox* 选择框2 = nullptr;
    SpacedListBox* 列表框_预热 = nullptr;
    Slider* 滑块条_音量 = nullptr;
    QLabel* 标签_音量 = nullptr;
    QPushButton* 按钮_搜 = nullptr;
    QLabel* 标签1 = nullptr;
    QLineEdit* 编辑框_搜 = nullptr;
    QTextEdit* 编辑框_歌词 = nullptr;
    QLabel* 图片框_image = nullptr;
    FeedbackLabel* 标签_name = nullptr;
    Clock* 时钟1 = nullptr;
    QLabel* 标签_时间 = nullptr;
    QPushButton* 按钮_停止 = nullptr;
    Slider* 滑块条_进度 = nullptr;
    QMediaPlayer* 媒体播放 = nullptr;
    QCheckBox* 选择框1 = nullptr;
    QLineEdit* 编辑框_保存目录 = nullptr;
    QPushButton* 按钮_下载 = nullptr;
    QPushButton* 按钮_获取 = nullptr;
    SongListWidget* 超级列表框1 = nullptr;
    QLineEdit* 编辑框_输入 = nullptr;
};

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(ProgramState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    Controls& controls() { return controls_; }
    ProgramState& state() { return state_; }

    // The window's size with its frame, as the layout file keeps it.
    QSize outer_size() const;
    void set_outer_size(int width, int height);

    // Opens the window centred on its screen, at its size with frame.
    void show_centred();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void create_controls();
    void create_top_row();
    void create_play_page();
    void create_download_row();
    void stack_overlapping_controls();
    void bind_events();
    void bind_mouse_and_key_events();

    ProgramState& state_;
    Controls controls_;
    QAudioOutput* audio_output_ = nullptr;
};

}  // namespace melkora
