#pragma once
// What the login window sets up for the whole run: the client's folder, its
// two server connections and the logged-in user's Personnel record.

#include <memory>
#include <string>

#include "db_server_connection.h"
#include "log_in.h"
#include "string_list.h"

namespace dalvero {

struct ClientSession {
    ClientSession() = default;
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;
    // The session ends with the program (closed, or ended by the idle
    // logoff) rather than lingering on the server until it expires.
    ~ClientSession() {
        if (DataServer) LogOut(*DataServer);
    }

    // The executable's folder, ending with a path separator.
    std::string ApplicationFolder;
    std::unique_ptr<dbServerConnection> DataServer;
    std::unique_ptr<dbServerConnection> FunctionServer;
    // Item n is Personnel field n (item 1 the user's Seq, 9 the hospital).
    StringList CurrentUser;

    // Item n of CurrentUser; empty when the record is shorter.
    std::string UserField(int n) const {
        return n >= 0 && static_cast<std::size_t>(n) < CurrentUser.size() ? CurrentUser[static_cast<std::size_t>(n)]
                                                                             : std::string();
    }
};

}  // namespace dalvero
