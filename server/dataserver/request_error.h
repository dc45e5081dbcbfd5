#pragma once
// A request the DataServer refuses. It travels back as a reply of exactly two
// items, "Error" (the text) first and "ErrorCode" (never 0) second. The client
// takes a reply as a refusal only when it starts with such an item, so a
// field value like "Error=see note" elsewhere in a reply stays data.

#include <stdexcept>
#include <string>
#include <string_view>

#include "refusal_codes.h"

namespace dalvero::server {

enum class ErrorCode {
    Malformed = 1,  // unreadable request items or numbers
    UnknownTable = 2,
    UnknownField = 3,
    UnknownList = 4,
    BadFilter = 5,
    UnknownCommand = 6,
    NotAccepted = 7,  // no accepted handshake on this connection yet
    NotFound = 8,     // a write to a record that is not there
    FileError = 9,
    Internal = 10,
    NotLoggedIn = refusal::kNotLoggedIn,  // the request needs a log-in first
    LoginFailed = 12,
    Forbidden = 13,    // the person may not do this
    BadValue = refusal::kBadValue,
    CaseClosed = refusal::kCaseClosed,
    Changed = refusal::kChanged,
};

class RequestError : public std::runtime_error {
public:
    RequestError(ErrorCode code, const std::string& text) : std::runtime_error(text), code_(code) {}
    ErrorCode code() const { return code_; }

private:
    ErrorCode code_;
};

std::string ErrorReply(ErrorCode code, const std::string& text);

// The answer to a failure the request did not cause: the detail (which may
// name SQL, tables or paths) goes to the server's log, the client gets a
// general text.
std::string InternalErrorReply(std::string_view detail);

}  // namespace dalvero::server
