#include "request_error.h"

#include <iostream>

#include "string_list.h"

namespace dalvero::server {

std::string ErrorReply(ErrorCode code, const std::string& text) {
    return ToCommaText({"Error=" + text, "ErrorCode=" + std::to_string(static_cast<int>(code))});
}

std::string InternalErrorReply(std::string_view detail) {
    std::cerr << "DataServer: request failed: " << detail << '\n';
    return ErrorReply(ErrorCode::Internal, "The server could not complete the request; the fault has been logged.");
}

}  // namespace dalvero::server
