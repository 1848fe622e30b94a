// Melkora: search the music service, play a song, download the ticked ones.
#include <QApplication>

#include "shell/ending_signals.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
#include "shell/test_hook.h"
#include "shell/window_created.h"

namespace {

// Runs the exit routine when start-up or the message loop is over, whichever way: after the
// window is gone and before the application object goes.
class ExitRoutine {
public:
    explicit ExitRoutine(melkora::ProgramState& state) : state_(state) {}
    ~ExitRoutine() {
        melkora::teardown_program_state(state_);
        melkora::trace_for_tests("exit_routine");
    }
    ExitRoutine(const ExitRoutine&) = delete;
    ExitRoutine& operator=(const ExitRoutine&) = delete;

private:
    melkora::ProgramState& state_;
};

}  // namespace

int main(int argc, char** argv) {
    // The program takes no options: Qt sees the program name only.
    int qt_argc = argc > 0 ? 1 : 0;
    // The player is built and tested on Qt Multimedia's GStreamer back-end; pin it.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication application(qt_argc, argv);
    melkora::close_windows_on_ending_signals();

    melkora::ProgramState state;
    melkora::setup_program_state(state);
    const ExitRoutine exit_routine(state);

    melkora::MainWindow window(state);
    window.show_centred();
    if (melkora::main_window_created(window) == melkora::StartDecision::end_program) return 0;
    if (melkora::ending_signal_received()) return 0;
    melkora::trace_for_tests("message_loop");
    QApplication::exec();
    return 0;
}
