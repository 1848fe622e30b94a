#include "shell/ending_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>

namespace melkora {

namespace {

int signal_pipe[2] = {-1, -1};
std::atomic<bool> ending_requested{false};

// A signal handler may do next to nothing; it wakes the window's thread through a pipe.
extern "C" void note_ending_signal(int) {
    const int saved_errno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
    errno = saved_errno;
}

void close_all_windows() {
    char bytes[16];
    while (::read(signal_pipe[0], bytes, sizeof bytes) > 0) {
    }
    ending_requested = true;
    QApplication::closeAllWindows();
}

}  // namespace

void close_windows_on_ending_signals() {
    if (signal_pipe[0] >= 0 || ::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { close_all_windows(); });
    struct sigaction action = {};
    action.sa_handler = note_ending_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

bool ending_signal_received() { return ending_requested; }

}  // namespace melkora
