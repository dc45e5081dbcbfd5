#pragma once
// How long the servers wait on a client. A planner's client holds its
// connection open while the user reads a screen, so an idle connection may
// stay for a working day; a request that has started must finish briskly, so
// a client that stalls mid-request cannot tie up a thread.

namespace dalvero::server {

inline constexpr int kIdleSeconds = 12 * 60 * 60;
inline constexpr int kStallSeconds = 30;
inline constexpr int kHandshakeSeconds = 15;
// FunctionServer requests are small JSON texts; anything larger is refused.
inline constexpr unsigned kMaxFunctionRequest = 1u << 20;

}  // namespace dalvero::server
