#pragma once
// One conversation with one server: socket, handshake, framed requests,
// zero-terminated replies split into items, and lazy reconnection.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "string_list.h"
#include "interaction_hooks.h"

namespace dalvero {
class PlainSocket;
}

namespace dalvero {

class dbServerConnection {
public:
    // caFile applies to TLS connections only: the certificate authority the
    // server's chain must verify against (empty: the system trust store).
    dbServerConnection(std::string host, std::string port, std::string programId, std::string key, bool secure,
                       int timeoutSeconds, std::string caFile = {});
    ~dbServerConnection();
    dbServerConnection(const dbServerConnection&) = delete;
    dbServerConnection& operator=(const dbServerConnection&) = delete;

    bool Connect();
    bool IsConnected();
    void Reconnect();
    bool EnsureConnected();

    bool SendMessage(std::uint32_t command, std::uint32_t subCommand, std::string_view text);
    bool ReceiveReply();
    bool Exchange(std::uint32_t command, std::uint32_t subCommand, std::string_view text);
    bool SendText(std::string_view text);

    std::int32_t GetFileInfo(const std::string& remoteName);
    bool DownloadFile(const std::string& remoteName, const std::string& localPath, const ProgressFn& progress = {});
    bool GetRecordFile(const std::string& table, const std::string& seq, int slot, const std::string& localPath,
                       const ProgressFn& progress = {});
    bool PutRecordFile(const std::string& table, const std::string& seq, int slot, const std::string& localPath,
                       const ProgressFn& progress = {});

    std::string Host;
    std::string Port;
    std::string ProgramId;
    std::string Key;
    bool Secure = false;
    int Timeout = -1;
    std::string CAFile;
    std::unique_ptr<PlainSocket> Socket;
    bool Connected = false;
    StringList RequestValues;
    std::string ReplyText;
    StringList ReplyValues;
    std::string ErrorText;
    std::int32_t ErrorCode = 0;
    double ServerDate = 0;
    std::string RunningFolder;
    std::string RemoteIP;
    std::int32_t FileSize = 0;
    // The log-in's session token, which every FunctionServer command carries
    // (set on the FunctionServer connection after the log-in).
    std::string Session;

private:
    bool OpenSocket();
    bool Handshake();
    // Empties the reply fields, so a failed operation never shows an earlier
    // reply.
    void ClearReply();
    // After a transfer broke off the stream is out of step; the next
    // operation starts on a new connection.
    void DropConnection();
    bool ReceiveFile(std::uint32_t command, std::uint32_t subCommand, const std::string& payload,
                     const std::string& localPath, const ProgressFn& progress);

    // Builds outgoing frames and receives replies and file pieces: 50,000
    // bytes and a terminating zero.
    std::unique_ptr<char[]> Buffer;
};

}  // namespace dalvero
