#pragma once
// The log-in on the DataServer: the server checks the e-mail and password and
// binds the connection to the person; the reply carries the person's
// Personnel record (without the password) and a session token. The token is
// kept as the DataServer connection's handshake key, so a reconnection goes
// on as the same person, and is what every FunctionServer command carries.

#include <string>
#include <string_view>

#include "string_list.h"

namespace dalvero {

class dbServerConnection;

// person: as a record read gives it (item n = field n). False with person
// empty when the server refused the log-in or gave no usable answer; the
// reason stays in the connection's ErrorText.
bool LogIn(dbServerConnection& dataServer, std::string_view email, std::string_view password, StringList& person,
           std::string& session);

// What the user is told after LogIn failed: the server's own reason (too
// many failed log-ins, busy, the connection lost), or "Invalid login" for a
// plain refusal or an answer without a reason.
std::string LogInRefusal(const dbServerConnection& dataServer);

// Ends the session on the server; the connection is logged out.
void LogOut(dbServerConnection& dataServer);

}  // namespace dalvero
