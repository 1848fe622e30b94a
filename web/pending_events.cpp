#include "web/pending_events.h"

#include <utility>

namespace melkora {

namespace {
std::function<void()>& pending_events_hook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

void set_pending_events_hook(std::function<void()> hook) { pending_events_hook() = std::move(hook); }

void process_pending_events() {
    if (auto& hook = pending_events_hook()) hook();
}

}  // namespace melkora
