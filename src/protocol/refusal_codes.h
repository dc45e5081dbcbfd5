#pragma once
// The DataServer's refusal codes (the "ErrorCode" item of a refusal) that
// the client acts on; the server's RequestError numbers its codes from here.

namespace dalvero::refusal {

inline constexpr int kNotLoggedIn = 11;  // no log-in, or the session has ended
inline constexpr int kBadValue = 14;     // a value of the wrong form or too long
inline constexpr int kCaseClosed = 15;   // the case is closed until it is reopened
inline constexpr int kChanged = 16;      // the stored value is no longer the one loaded

}  // namespace dalvero::refusal
