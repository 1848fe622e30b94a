// The handlers whose subsystems are not built yet: each does nothing until its subsystem fills it.
#include "shell/handlers.h"

namespace melkora {

void play_selected_song(MainWindow& /*window*/) {}
void stop_playback(MainWindow& /*window*/) {}
void delete_temp_copy(MainWindow& /*window*/) {}
void on_clock_tick(MainWindow& /*window*/) {}
void seek_to_progress(MainWindow& /*window*/) {}
void apply_volume(MainWindow& /*window*/) {}
void on_play_feedback(MainWindow& /*window*/, int /*percent*/) {}

void download_ticked_songs(MainWindow& /*window*/) {}
void toggle_external_mode(MainWindow& /*window*/) {}
void set_engine_network_options(MainWindow& /*window*/) {}

void toggle_free_layout(MainWindow& /*window*/) {}
bool start_control_drag(MainWindow& /*window*/, QWidget& /*control*/) { return false; }
void window_moved(MainWindow& /*window*/) {}
void window_resized(MainWindow& /*window*/) {}
void sync_layout(MainWindow& /*window*/, bool /*load*/) {}

}  // namespace melkora
