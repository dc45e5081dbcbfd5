#include "db_server_connection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "file_age.h"
#include "frame.h"
#include "plain_socket.h"
#include "refusal_codes.h"
#include "secure_socket.h"
#include "socket_error.h"
#include "tls_context.h"

namespace dalvero {

namespace {

constexpr std::size_t kBufferSize = frame::kFilePiece;
constexpr int kDefaultPort = 8700;
constexpr std::size_t kGreetingPiece = 100;
constexpr char kBusy[] = "Another request is in progress on this connection";
constexpr char kReplyTooLarge[] = "Reply larger than the limit";

void RemoveFile(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// An item named "Error" or "ErrorCode" (any letter case).
bool IsErrorItem(std::string_view item) {
    const std::string_view name = item.substr(0, item.find('='));
    return name.size() < item.size() && (SameText(name, "Error") || SameText(name, "ErrorCode"));
}

}  // namespace

template <typename Fn>
void dbServerConnection::CallOut(Fn&& fn) {
    struct Restore {
        bool& flag;
        bool saved;
        ~Restore() { flag = saved; }
    } restore{busy_, busy_};
    busy_ = true;
    fn();
}

bool dbServerConnection::RefuseWhileBusy() {
    if (!busy_) return false;
    ErrorText = kBusy;
    return true;
}

void dbServerConnection::Report(const ProgressFn& progress, long long done, long long total) {
    if (!progress) return;
    CallOut([&] {
        progress(done, total);
        ProcessEvents();
    });
}

dbServerConnection::dbServerConnection(std::string host, std::string port, std::string programId, std::string key,
                                       bool secure, int timeoutSeconds, std::string caFile)
    : Host(std::move(host)),
      Port(std::move(port)),
      ProgramId(std::move(programId)),
      Key(std::move(key)),
      Secure(secure),
      Timeout(timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeout),
      CAFile(std::move(caFile)),
      Buffer(new char[kBufferSize + 1]()) {
    Connected = Connect();
}

dbServerConnection::~dbServerConnection() = default;

bool dbServerConnection::Connect() {
    if (RefuseWhileBusy()) return false;
    if (Connected) return true;
    // A connection that fails half-way is not usable, whatever step failed.
    const bool ok = OpenSocket() && (ProgramId.empty() || Handshake());
    if (!ok) Connected = false;
    return ok;
}

bool dbServerConnection::OpenSocket() {
    try {
        if (!Socket) {
            if (Secure) {
                // A certificate authority that cannot be read must not fall
                // back to another trust store.
                const TlsContext context = CreateClientTlsContext(CAFile);
                if (!context) {
                    ConnectFailure = "cannot read the certificate authority " + (CAFile.empty() ? "of the system" : CAFile);
                    return false;
                }
                Socket = std::make_unique<SecureSocket>(context.get());
            } else {
                Socket = std::make_unique<PlainSocket>();
            }
            Socket->SetStallLimit(Timeout);
        }
        if (Socket->Connect(Host, ToIntDef(Port, kDefaultPort)) != SOCK_SUCCESS) {
            ConnectFailure = Socket->ConnectFailure();
            return false;
        }
    } catch (const SocketError& e) {
        ConnectFailure = e.what();
        return false;
    }
    ConnectFailure.clear();
    Connected = true;
    // A greeting longer than any reply buffer is a server talking without
    // end, not a greeting.
    char greeting[kGreetingPiece + 1];
    std::size_t drained = 0;
    for (int n; (n = Socket->Receive(greeting, kGreetingPiece, 0, 1)) >= 1;) {
        drained += static_cast<std::size_t>(n);
        if (drained > kBufferSize) {
            ConnectFailure = "the server sent a greeting without end";
            DropConnection();
            return false;
        }
    }
    return true;
}

bool dbServerConnection::Handshake() {
    RequestValues.clear();
    RequestValues.SetValue("Key", Key);
    RequestValues.SetValue("ProgramID", ProgramId);
    // No reconnection inside the handshake: a server that drops every new
    // connection would otherwise recurse through Reconnect without end.
    if (!SendMessage(frame::cmd::kHandshake, 0, RequestValues.CommaText()) || !ReceiveReply()) {
        ConnectFailure = "no answer to the handshake";
        return false;
    }
    ServerDate = ToFloatDef(ReplyValues.Value("Date"), 0);
    RunningFolder = ReplyValues.Value("RunningFolder");
    RemoteIP = ReplyValues.Value("RemoteIP");
    ServerVersion = ReplyValues.Value("Version");
    if (ReplyValues.Value("Accepted") != "Y") {
        ConnectFailure = "the server refused the handshake";
        Socket.reset();
        return false;
    }
    if (std::trunc(ServerDate) == 0 && SendMessage(frame::cmd::kServerDate, 0, {}) && ReceiveReply())
        ServerDate = ToFloatDef(ReplyValues.Value("Date"), 0);
    return Connected;
}

bool dbServerConnection::IsConnected() { return Connected && Socket && Socket->IsConnected(); }

void dbServerConnection::Reconnect() {
    if (RefuseWhileBusy()) return;
    Socket.reset();
    Connected = false;
    CallOut([] { ProcessEvents(); });
    Connect();
    // The handshake's answer is nobody's reply.
    ClearReply();
}

bool dbServerConnection::EnsureConnected() {
    if (RefuseWhileBusy()) return false;
    if (!Connected) Reconnect();
    return Connected;
}

void dbServerConnection::ClearReply() {
    ReplyText.clear();
    ReplyValues.clear();
    ErrorText.clear();
    ErrorCode = 0;
}

void dbServerConnection::DropConnection() {
    Socket->Close();
    Connected = false;
}

bool dbServerConnection::SendMessage(std::uint32_t command, std::uint32_t subCommand, std::string_view text) {
    if (RefuseWhileBusy()) return false;
    const bool connected = EnsureConnected();
    // Nothing of this request has gone out, whatever a reconnection sent.
    RequestSent = false;
    if (!connected) return false;
    ClearReply();
    const std::optional<std::string> message = frame::Encode(command, subCommand, text);
    if (!message) {
        // The framed text ends with a zero byte, which the limit counts.
        ErrorText = "The request is " + std::to_string(text.size() + 1) + " bytes, over the limit of " +
                    std::to_string(frame::kMaxPayload) + " bytes one message may hold; nothing was sent";
        ShowMessage("Sending a message larger than MessageBuffer", "Application Error");
        return false;
    }
    if (Socket->Send(message->data(), message->size()) != SOCK_SUCCESS) {
        Connected = false;
        return false;
    }
    RequestSent = true;
    return true;
}

bool dbServerConnection::ReceiveText() {
    Buffer[kBufferSize] = 0;
    for (;;) {
        const int n = Socket->ReceiveUntilNul(Buffer.get(), kBufferSize, Timeout, 0);
        if (n < 0) {
            Connected = false;
            return false;
        }
        ReplyText.append(Buffer.get(), strnlen(Buffer.get(), kBufferSize));
        // 0: the buffer filled before the zero byte came.
        if (n > 0) return true;
        if (ReplyText.size() > MaxReplySize) {
            // The rest of the reply is still on its way: the stream is out of
            // step for good.
            DropConnection();
            ReplyText.clear();
            ErrorText = kReplyTooLarge;
            return false;
        }
    }
}

bool dbServerConnection::ReceiveReply() {
    if (RefuseWhileBusy() || !EnsureConnected()) return false;
    ClearReply();
    if (!ReceiveText() || ReplyText.empty()) return false;
    ReplyValues.SetCommaText(ReplyText);
    // The server's refusal is the whole reply, its error item first; an item
    // further on that looks like one ("Error=see note" in a field) is data.
    if (ReplyValues.empty() || !IsErrorItem(ReplyValues[0])) return true;
    ErrorText = ReplyValues.Value("Error");
    ErrorCode = ToIntDef(ReplyValues.Value("ErrorCode"), 0);
    ReplyValues.SetValue("Error", {});
    ReplyValues.SetValue("ErrorCode", {});
    // Only a connection that was logged in can have its session end.
    if (ErrorCode == refusal::kNotLoggedIn && !Key.empty()) SessionEnded();
    return true;
}

bool dbServerConnection::Exchange(std::uint32_t command, std::uint32_t subCommand, std::string_view text) {
    if (RefuseWhileBusy() || !EnsureConnected()) return false;
    if (!SendMessage(command, subCommand, text)) {
        // A text too long to send leaves the connection, and its log-in,
        // as they were; only a broken one is made anew.
        if (!Connected) Reconnect();
        return false;
    }
    return ReceiveReply();
}

bool dbServerConnection::SendText(std::string_view text) {
    // A dropped connection is rebuilt here as everywhere else; the command
    // that met the drop is not sent again.
    if (RefuseWhileBusy()) return false;
    const bool connected = EnsureConnected();
    // Nothing of this request has gone out, whatever a reconnection sent.
    RequestSent = false;
    if (!connected) return false;
    ClearReply();
    std::string message(text);
    message.push_back('\0');
    if (Socket->Send(message.data(), message.size()) != SOCK_SUCCESS) {
        Connected = false;
        return false;
    }
    RequestSent = true;
    return ReceiveReply();
}

std::int32_t dbServerConnection::GetFileInfo(const std::string& remoteName) {
    if (RefuseWhileBusy()) return 0;
    FileSize = 0;
    if (!IsConnected() || !Exchange(frame::cmd::kFile, frame::sub::kFileInfo, remoteName)) return 0;
    FileSize = ToIntDef(ReplyValues.Value("FileSize"), 0);
    return ToIntDef(ReplyValues.Value("FileDate"), 0);
}

bool dbServerConnection::DownloadFile(const std::string& remoteName, const std::string& localPath,
                                      const ProgressFn& progress, std::int64_t maxSize) {
    return ReceiveFile(frame::cmd::kFile, frame::sub::kDownload, remoteName, localPath, progress, maxSize);
}

bool dbServerConnection::GetRecordFile(const std::string& table, const std::string& seq, int slot,
                                       const std::string& localPath, const ProgressFn& progress,
                                       std::int64_t maxSize) {
    return ReceiveFile(frame::cmd::kRecordFile, frame::sub::kDownload,
                       table + "," + seq + "," + std::to_string(slot), localPath, progress, maxSize);
}

bool dbServerConnection::ReceiveFile(std::uint32_t command, std::uint32_t subCommand, const std::string& payload,
                                     const std::string& localPath, const ProgressFn& progress,
                                     std::int64_t maxSize) {
    if (RefuseWhileBusy() || !IsConnected()) return false;
    // Always a fresh file: left-over bytes of an older, longer file would
    // corrupt the new content.
    RemoveFile(localPath);
    std::ofstream file(localPath, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    if (!SendMessage(command, subCommand, payload)) {
        file.close();
        RemoveFile(localPath);
        return false;
    }
    std::uint8_t head[8];
    bool received = Socket->Receive(reinterpret_cast<char*>(head), sizeof head, Timeout, 0) == static_cast<int>(sizeof head);
    const std::uint32_t size = received ? frame::GetUint32(head) : 0;
    // More than was announced: the content would not be what was asked for.
    if (received && maxSize >= 0 && size > maxSize) {
        received = false;
        ErrorText = "The server sent a larger file than it announced";
    }
    const auto age = static_cast<std::int32_t>(frame::GetUint32(head + 4));
    if (received) Report(progress, 0, size);
    std::uint32_t done = 0;
    while (received && done < size) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(kBufferSize, size - done));
        // A short piece means the connection dropped or stalled mid-transfer.
        received = Socket->Receive(Buffer.get(), piece, Timeout, 0) == static_cast<int>(piece) &&
                   file.write(Buffer.get(), piece);
        done += piece;
        if (received) Report(progress, done, size);
    }
    file.close();
    if (!received) {
        DropConnection();
        RemoveFile(localPath);
        return false;
    }
    ReceiveReply();
    if (size == 0 || file.fail() || !SetFileAge(localPath, age)) {
        RemoveFile(localPath);
        return false;
    }
    return true;
}

bool dbServerConnection::PutRecordFile(const std::string& table, const std::string& seq, int slot,
                                       const std::string& localPath, const ProgressFn& progress) {
    if (RefuseWhileBusy()) return false;
    if (!IsConnected()) Reconnect();
    if (!Connected) return false;
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(localPath, error);
    if (error || fileSize > UINT32_MAX) return false;
    const auto size = static_cast<std::uint32_t>(fileSize);
    const std::int32_t age = FileAge(localPath);
    std::ifstream file(localPath, std::ios::binary);
    if (!file) return false;
    if (!SendMessage(frame::cmd::kRecordFile, frame::sub::kUpload,
                     table + "," + seq + "," + std::to_string(slot) + "," + std::to_string(age)))
        return false;
    std::uint8_t head[4];
    frame::PutUint32(head, size);
    bool sent = Socket->Send(head, sizeof head) == SOCK_SUCCESS;
    if (sent) Report(progress, 0, size);
    std::uint32_t done = 0;
    while (sent && done < size) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(kBufferSize, size - done));
        // A file that shrank or a send that failed leaves the server waiting
        // for bytes that will never come.
        sent = file.read(Buffer.get(), piece) && Socket->Send(Buffer.get(), piece) == SOCK_SUCCESS;
        done += piece;
        if (sent) Report(progress, done, size);
    }
    if (!sent) {
        // The server takes no part of a file.
        RequestSent = false;
        DropConnection();
        return false;
    }
    // The upload is only known to have worked when the server says so. The
    // server ends the connection of an upload it refuses: the next request
    // connects again.
    const bool stored = ReceiveReply() && ErrorText.empty() && ErrorCode == 0;
    if (!stored) DropConnection();
    return stored;
}

}  // namespace dalvero
