#pragma once
// Every event handler of the window, in one list. MainWindow::bind_events binds each control event
// to the routine named here; a subsystem fills in its handlers' bodies (handlers.cpp holds the
// ones still empty) and leaves the binding alone.
class QWidget;

namespace melkora {

class MainWindow;

// Song list loading and suggestions.
void get_list_clicked(MainWindow& window);                       // 按钮_获取 clicked
void show_suggestions(MainWindow& window);                       // 编辑框_输入 text changed
void input_key_pressed(MainWindow& window, int key_code);        // 编辑框_输入 key pressed
void suggestion_key_pressed(MainWindow& window, int key_code);   // 列表框_预热 key pressed
void suggestion_clicked(MainWindow& window);                     // 列表框_预热 left button released

// Song list view and in-list search (defined in catalogue/song_list_widget.cpp).
void header_clicked(MainWindow& window, int column);             // 超级列表框1 column header clicked
void find_in_list(MainWindow& window);                           // 按钮_搜 clicked
void clear_search_text(MainWindow& window);                      // 编辑框_搜 left button pressed

// Player.
void play_selected_song(MainWindow& window);                     // 超级列表框1 double click
void stop_playback(MainWindow& window);                          // 按钮_停止 clicked
void delete_temp_copy(MainWindow& window);                       // the window will be destroyed
void on_clock_tick(MainWindow& window);                          // 时钟1 period elapsed
void seek_to_progress(MainWindow& window);                       // 滑块条_进度 moved by the user
void apply_volume(MainWindow& window);                           // 滑块条_音量 moved by the user
void on_play_feedback(MainWindow& window, int percent);          // 标签_name feedback event

// Downloader.
void download_ticked_songs(MainWindow& window);                  // 按钮_下载 clicked
void toggle_external_mode(MainWindow& window);                   // 选择框1 clicked
void set_engine_network_options(MainWindow& window);             // a step of main_window_created

// Free layout.
void toggle_free_layout(MainWindow& window);                     // 选择框2 clicked
// Left button pressed on a play-page control; true when the press starts a drag and the
// control must not see it.
bool start_control_drag(MainWindow& window, QWidget& control);
void window_moved(MainWindow& window);                           // the window moved
void window_resized(MainWindow& window);                         // the window resized
void sync_layout(MainWindow& window, bool load);                 // a step of main_window_created

}  // namespace melkora
