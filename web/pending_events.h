#pragma once
// The fetches let the window handle its pending events at a few fixed points. The core knows no
// window toolkit: the window installs a hook here, and without one the calls do nothing.
#include <functional>

namespace melkora {

void set_pending_events_hook(std::function<void()> hook);
void process_pending_events();

}  // namespace melkora
