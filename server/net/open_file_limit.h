#pragma once
// Every connection costs a descriptor; the usual soft limit (1,024) is far
// below the connections the servers are meant to hold.

namespace dalvero::server {

// Raises the soft limit on open descriptors to the hard one; returns the
// limit now in force.
long RaiseOpenFileLimit();

}  // namespace dalvero::server
