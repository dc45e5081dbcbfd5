#pragma once
// List queries (command 20002): a page of a server list with the fields
// asked for, and the marks the client pages on.
//
// Positions run 1..N in list order. A forward read from s returns s, s+1,
// ...; a backward read ("L", "R") from s returns s, s-1, ... (0: from the
// end). A positioning key (KeyTo) makes Start an offset from the first record
// at or after the key. The reply header holds the position just behind the
// first record read and the one just ahead of the last, in reading direction
// (0 beyond the list's ends); the reply's last item is N.

#include <string>
#include <string_view>

#include "storage.h"

namespace dalvero::server {

// Throws RequestError for requests it cannot serve.
std::string HandleQuery(Storage& storage, std::string_view payload);

}  // namespace dalvero::server
