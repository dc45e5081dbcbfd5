#pragma once
// The client from process start to the end of its message loop.

namespace dalvero {

// Creates every window (the login window first, the main window second),
// runs the message loop and returns the process's exit code.
int RunClient(int argc, char** argv);

}  // namespace dalvero
