#pragma once
// The desktop session ends programs with SIGTERM (and a terminal with SIGINT or SIGHUP). Those
// close the window like the close box does, so that the exit routine still runs once.
namespace melkora {

// Call once the application object exists.
void close_windows_on_ending_signals();

// True once such a signal has arrived; start-up then does not enter the message loop.
bool ending_signal_received();

}  // namespace melkora
