#pragma once
// One client connection of the DataServer: the handshake state and the
// answer to every request frame. Pure request handling: the listener owns
// the socket and hands the session a Channel over it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "audit_writer.h"
#include "channel.h"
#include "file_transfers.h"
#include "frame.h"
#include "login_service.h"
#include "storage.h"

namespace dalvero::server {

class DataServerSession {
public:
    // The program identification a client must give in the handshake.
    static constexpr char kProgramId[] = "Dalvero";

    // dataFolder: the server's data folder, whose files/ directory holds the
    // named files clients download; remoteAddress: the client's address as
    // the handshake reports it back; quota: what record files may hold.
    DataServerSession(Storage& storage, LoginService& logins, AuditWriter& trail, std::filesystem::path dataFolder,
                      std::string remoteAddress, RecordFileQuota quota = {});

    // Reads one request frame from the channel and answers it. False when the
    // connection is over: the peer left, a frame broke the protocol (a length
    // of 0 or above the largest payload) or the channel failed.
    bool ServeNext(Channel& channel);

    // The reply text (without its terminating zero) to a request whose answer
    // is text: everything but the file transfers. Failures are "Error" and
    // "ErrorCode" items; nothing throws.
    std::string Handle(const frame::Header& header, std::string_view payload);

    // Downloads and uploads, which use the channel beyond one text reply.
    static bool IsTransfer(const frame::Header& header);

    // An accepted handshake has been made; until then only the handshake and
    // the server-date request are answered.
    bool Accepted() const { return accepted_; }
    // The connection is bound to a person: by a log-in, or by a handshake
    // whose "Key" is the token of a live session (a client reconnecting).
    // Until then only the handshake, the server date, the log-in and the
    // client update files (Clients\...) are served.
    bool LoggedIn() const { return who_.has_value(); }

private:
    bool Serve(const frame::Header& header, std::string_view payload, Channel& channel);
    std::string Handshake(std::string_view payload);
    std::string LogIn(std::string_view payload);
    std::string LogOut();
    // Leaves the connection logged out, with nothing of the session kept.
    void Unbind();
    // Throws RequestError unless the request may run on this connection now.
    // With storeLater the check only reads (see LoginService::Resume).
    void RequireLogIn(const frame::Header& header, std::string_view payload,
                      std::optional<SessionInfo>* storeLater = nullptr);
    // A record read: the session, the person and the record from one read
    // snapshot, so one read transaction (and its locks) per request.
    std::string ReadRecord(const frame::Header& header, std::string_view payload);
    // Runs fn on the store as the logged-in person sees it, then writes what
    // it touched to the audit trail.
    template <typename Fn>
    auto AsPerson(Fn fn);

    Storage& storage_;
    LoginService& logins_;
    AuditWriter& trail_;
    std::filesystem::path dataFolder_;
    std::string remoteAddress_;
    RecordFileQuota quota_;
    bool accepted_ = false;
    std::optional<Principal> who_;
    std::string token_;
    // Patients this connection's session found by the full Social Security
    // number: intake may open a case for them.
    std::set<std::int64_t> foundBySsn_;
};

}  // namespace dalvero::server
