#include "catalogue/service_hosts.h"

#include <cstdlib>

namespace melkora {

namespace {

struct HostEntry {
    const char* variable;
    const char* default_host;
};

HostEntry entry_of(ServiceHost host) {
    switch (host) {
        case ServiceHost::song_search: return {"MELKORA_SEARCH_HOST", "songsearch.kugou.com"};
        case ServiceHost::suggestion: return {"MELKORA_TIP_HOST", "searchtip.kugou.com"};
        case ServiceHost::web: return {"MELKORA_WEB_HOST", "wwwapi.kugou.com"};
    }
    return {"", ""};
}

}  // namespace

Text service_host(ServiceHost host) {
    auto entry = entry_of(host);
    const char* replaced = std::getenv(entry.variable);
    return replaced && *replaced ? Text(replaced) : Text(entry.default_host);
}

}  // namespace melkora
