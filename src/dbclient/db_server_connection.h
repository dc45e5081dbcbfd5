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
    // A server that stops answering must not hang the client: a Timeout of 0
    // or less takes this limit for each wait.
    static constexpr int kDefaultTimeout = 120;
    // A reply larger than this is no reply of ours (an endless stream would
    // otherwise take all memory).
    static constexpr std::size_t kDefaultMaxReplySize = 64u << 20;

    // caFile applies to TLS connections only: the certificate authority the
    // server's chain must verify against (empty: the system trust store).
    dbServerConnection(std::string host, std::string port, std::string programId, std::string key, bool secure,
                       int timeoutSeconds = kDefaultTimeout, std::string caFile = {});
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
    // maxSize bounds what the server may announce (e.g. the size GetFileInfo
    // gave); a larger transfer is refused before anything is written.
    bool DownloadFile(const std::string& remoteName, const std::string& localPath, const ProgressFn& progress = {},
                      std::int64_t maxSize = -1);
    bool GetRecordFile(const std::string& table, const std::string& seq, int slot, const std::string& localPath,
                       const ProgressFn& progress = {}, std::int64_t maxSize = -1);
    bool PutRecordFile(const std::string& table, const std::string& seq, int slot, const std::string& localPath,
                       const ProgressFn& progress = {});

    std::string Host;
    std::string Port;
    std::string ProgramId;
    std::string Key;
    bool Secure = false;
    int Timeout = kDefaultTimeout;
    std::size_t MaxReplySize = kDefaultMaxReplySize;
    std::string CAFile;
    std::unique_ptr<PlainSocket> Socket;
    bool Connected = false;
    StringList RequestValues;
    std::string ReplyText;
    StringList ReplyValues;
    std::string ErrorText;
    std::int32_t ErrorCode = 0;
    // Why the last connect failed (the socket's, TLS verification's or the
    // handshake's reason); empty once connected.
    std::string ConnectFailure;
    // The last request left this side whole: when no answer follows, the
    // server may have acted on it.
    bool RequestSent = false;
    double ServerDate = 0;
    std::string RunningFolder;
    std::string RemoteIP;
    std::string ServerVersion;  // empty from a server that does not tell
    std::int32_t FileSize = 0;
    // The log-in's session token, which every FunctionServer command carries
    // (set on the FunctionServer connection after the log-in).
    std::string Session;

private:
    // The UI pump and progress callbacks run in the middle of a request; a
    // request started from them would interleave its bytes with this one's
    // on the stream and in Buffer, so it is refused instead.
    template <typename Fn>
    void CallOut(Fn&& fn);
    bool RefuseWhileBusy();
    // Reads one zero-terminated reply of at most MaxReplySize bytes into
    // ReplyText; false (and the connection dropped) otherwise.
    bool ReceiveText();
    void Report(const ProgressFn& progress, long long done, long long total);
    bool OpenSocket();
    bool Handshake();
    // Empties the reply fields, so a failed operation never shows an earlier
    // reply.
    void ClearReply();
    // After a transfer broke off the stream is out of step; the next
    // operation starts on a new connection.
    void DropConnection();
    bool ReceiveFile(std::uint32_t command, std::uint32_t subCommand, const std::string& payload,
                     const std::string& localPath, const ProgressFn& progress, std::int64_t maxSize);

    bool busy_ = false;

    // Receives replies and file pieces and sends upload pieces: 50,000 bytes
    // and a terminating zero.
    std::unique_ptr<char[]> Buffer;
};

}  // namespace dalvero
