#pragma once
// Host, port and path of an address, for the lean page fetch that splits addresses itself.
// An address without a scheme is taken as http; none of these ever fails.
#include <string_view>

#include "extract/text.h"

namespace melkora {

// The host in lower case; with keep_port, followed by ":" and the port when the address names one.
Text url_host(std::string_view address, bool keep_port = false);
// The named port (0 when it is not a number), else 443 for "https..." and 80 otherwise.
int url_port(std::string_view address);
// Path and query from the first "/" after the host, in the address's own letter case; "/" when none.
Text url_path(std::string_view address);

}  // namespace melkora
