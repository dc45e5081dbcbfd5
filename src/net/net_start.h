#pragma once
// Process-wide start-up of the network layer, run once however many threads
// create sockets at the same time.

namespace dalvero {

// A send to a peer that has gone must come back as an error code rather than
// end the process: SIGPIPE is ignored unless the program installed its own
// handler.
void StartNetwork();

// StartNetwork plus OpenSSL's own initialisation with its error texts.
void StartTls();

}  // namespace dalvero
