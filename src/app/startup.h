#pragma once
// The client from process start to the end of its message loop.

namespace dalvero {

// With "--version" alone, writes the version line ("Dalvero 0.1.0") and
// ends, without a window: the self-update checks a new copy by it.
// Otherwise creates every window (the login window first, the main window
// second), runs the message loop and returns the process's exit code.
int RunClient(int argc, char** argv);

// The first word of the version line.
inline constexpr char kVersionLineStart[] = "Dalvero ";

}  // namespace dalvero
