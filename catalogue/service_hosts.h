#pragma once
// The music service's three hosts. Each can be replaced through an environment variable holding
// host[:port], which the tests and the offline demo point at the sample service.
#include "extract/text.h"

namespace melkora {

enum class ServiceHost {
    song_search,  // MELKORA_SEARCH_HOST, songsearch.kugou.com
    suggestion,   // MELKORA_TIP_HOST, searchtip.kugou.com
    web,          // MELKORA_WEB_HOST, wwwapi.kugou.com
};

// Read afresh on every call, so a changed variable counts from the next address built.
Text service_host(ServiceHost host);

}  // namespace melkora
