#pragma once
// What runs once the window and its controls exist, before the message loop; and the
// single-instance guard that ends it.
namespace melkora {

class MainWindow;

enum class StartDecision { run_on, end_program };

StartDecision main_window_created(MainWindow& window);

// The prompts shown when another copy is running: whether to run a second one.
StartDecision ask_about_second_copy();

}  // namespace melkora
