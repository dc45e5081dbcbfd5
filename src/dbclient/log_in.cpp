#include "log_in.h"

#include "db_server_connection.h"
#include "frame.h"

namespace dalvero {

bool LogIn(dbServerConnection& dataServer, std::string_view email, std::string_view password, StringList& person,
           std::string& session) {
    person.clear();
    session.clear();
    // Written as items, not name=value settings: an empty password must
    // still be sent as one.
    const std::string request = ToCommaText({"Email=" + std::string(email), "Password=" + std::string(password)});
    if (!dataServer.Exchange(frame::cmd::kLogIn, 0, request)) {
        if (dataServer.ErrorText.empty()) dataServer.ErrorText = "The data server cannot be reached.";
        return false;
    }
    if (dataServer.ErrorCode != 0) return false;
    session = dataServer.ReplyValues.Value("Session");
    person = StringList(ParseCommaText(dataServer.ReplyValues.Value("Record")));
    if (session.empty() || person.size() < 2) {
        person.clear();
        session.clear();
        return false;
    }
    dataServer.Key = session;
    return true;
}

std::string LogInRefusal(const dbServerConnection& dataServer) {
    return dataServer.ErrorText.empty() ? "Invalid login" : dataServer.ErrorText;
}

void LogOut(dbServerConnection& dataServer) {
    if (dataServer.Key.empty()) return;
    dataServer.Exchange(frame::cmd::kLogOut, 0, "");
    dataServer.Key.clear();
}

}  // namespace dalvero
