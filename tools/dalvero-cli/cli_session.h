#pragma once
// The servers a command talks to, as Dalvero.ini names them: the
// configuration is read and each connection made only when a command first
// needs it, so a command that fails its own checks never touches a server.

#include <memory>
#include <stdexcept>
#include <string>

#include "db_server_connection.h"

namespace dalvero::cli {

// A command that ran and failed; its text goes to stderr, exit code 1.
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ServerSettings {
    std::string dataHost;
    std::string dataPort;
    std::string caFile;  // resolved against the configuration file's folder
    std::string functionHost;
    std::string functionPort;
    std::string functionCaFile;  // likewise
};

// iniPath empty: the file DALVERO_INI names, else Dalvero.ini beside the
// executable, in the user's configuration folder or in /etc/dalvero; never
// the working folder's. Throws CommandFailure when no file can be read.
ServerSettings LoadSettings(const std::string& iniPath);

// Who to log in as: the e-mail, and where the password comes from (the
// first line of passwordFile, else DALVERO_PASSWORD, else a prompt on the
// terminal without echo).
struct LoginSettings {
    std::string user;  // empty: no log-in
    std::string passwordFile;
};

class CliSession {
public:
    CliSession(std::string iniPath, int timeoutSeconds, int maxReplyMiB, LoginSettings login = {});
    ~CliSession();

    // Throw CommandFailure "Unable to connect to data server" (or function
    // server) when the server cannot be reached or refuses the handshake,
    // and the server's answer when the log-in is refused. Without a user
    // the connection is not logged in, and the server answers only the
    // client update.
    dbServerConnection& DataServer();
    // Carries the data server log-in's session; without a user the server
    // refuses every command.
    dbServerConnection& FunctionServer();
    // The Seq of the logged-in person's hospital; logs in first. Throws
    // CommandFailure without a user.
    const std::string& HospitalSeq();

private:
    const ServerSettings& Settings();
    std::string Password() const;

    std::string iniPath_;
    int timeoutSeconds_;
    std::size_t maxReplyBytes_;
    LoginSettings login_;
    std::string sessionToken_;
    std::string hospitalSeq_;
    std::unique_ptr<ServerSettings> settings_;
    std::unique_ptr<dbServerConnection> dataServer_;
    std::unique_ptr<dbServerConnection> functionServer_;
};

// Throws CommandFailure with the server's error text for the last request,
// or with fallback when the server gave none.
[[noreturn]] void FailWithServerError(const dbServerConnection& connection, const std::string& fallback);

}  // namespace dalvero::cli
