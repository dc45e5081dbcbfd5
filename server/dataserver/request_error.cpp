#include "request_error.h"

#include "string_list.h"

namespace dalvero::server {

std::string ErrorReply(ErrorCode code, const std::string& text) {
    return ToCommaText({"Error=" + text, "ErrorCode=" + std::to_string(static_cast<int>(code))});
}

}  // namespace dalvero::server
