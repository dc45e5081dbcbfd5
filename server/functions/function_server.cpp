#include "function_server.h"

#include "authorized_storage.h"
#include "case_manager_status.h"
#include "code_lookup.h"
#include "doctor_notification.h"
#include "json_values.h"
#include "need_requests.h"
#include "need_status.h"
#include "provider_matching.h"
#include "provider_position.h"
#include "request_shape.h"
#include "server_log.h"
#include "utf8_text.h"

namespace dalvero::server {
namespace {

using Handler = void (*)(const functions::CommandContext&, cJsonNode& request, cJsonNode& reply);

struct Command {
    const char* name;
    Handler handler;
    bool readsOnly;  // runs on one read snapshot of the store
};

constexpr Command kCommands[] = {
    {"getcasestatus", functions::GetCaseStatus, true},
    {"getcaseneedstatus", functions::GetCaseNeedStatus, true},
    {"processneedsmatching", functions::ProcessNeedsMatching, true},
    {"senddoctornotificationemail", functions::SendDoctorNotificationEmail, false},
    {"sendinitialneedsemails", functions::SendInitialNeedsEmails, false},
    {"getcasemanagerstatus", functions::GetCaseManagerStatus, true},
    {"updateproviderlatitudelongitude", functions::UpdateProviderLatitudeLongitude, false},
    {"geticd9symptomsforkeywords", functions::GetIcd9SymptomsForKeywords, true},
    {"geticd9treatmentsforkeywords", functions::GetIcd9TreatmentsForKeywords, true},
};

std::string ErrorReply(const std::string& text) {
    cJsonNode reply;
    reply.AddString("Error", text);
    return functions::ReplyText(reply);
}

// Stored as sent, bytes that are not UTF-8 would break every export that
// reads them; the DataServer refuses them alike. The text names the member
// at fault when it is one at the top.
std::string Utf8Refusal(const cJsonNode& request) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(request.Count()); ++i) {
        const std::string name = request.NameAt(i);
        if (IsUtf8(name) && !IsUtf8(request.ValueAt(i)))
            return "The value of " + name + " is not UTF-8 text; nothing was done.";
    }
    return "The request is not UTF-8 text; nothing was done.";
}

}  // namespace

// The member that carries the DataServer log-in's session.
constexpr char kSession[] = "Session";

FunctionServer::FunctionServer(Storage& storage, const mail::Mailer& mailer, LoginService& logins,
                               AuditWriter& trail, functions::Clock clock)
    : storage_(storage), mailer_(mailer), logins_(logins), trail_(trail), clock_(std::move(clock)) {}

functions::Clock FunctionServer::DefaultClock() {
    return [] { return std::time(nullptr); };
}

std::string FunctionServer::HandleCommand(std::string_view requestText, std::string_view remoteAddress) {
    requestText = requestText.substr(0, requestText.find('\0'));
    if (std::string refusal = functions::CheckRequestShape(requestText); !refusal.empty()) return ErrorReply(refusal);
    std::string name;
    try {
        cJsonNode request(requestText);
        if (request.IsArray()) return ErrorReply("The request is not a command object.");
        if (!IsUtf8(requestText)) return ErrorReply(Utf8Refusal(request));
        name = request.GetString("ServerCommand");
        if (name.empty()) return ErrorReply("The request names no ServerCommand.");
        const Command* command = nullptr;
        for (const Command& known : kCommands)
            if (SameText(name, known.name)) command = &known;
        if (!command) return ErrorReply("Unknown server command \"" + name + "\".");
        std::optional<Principal> who = logins_.Resume(request.GetString(kSession));
        if (!who) return ErrorReply("Not logged in, or the session has ended; log in again.");
        request.RemoveMember(kSession);
        if (!remoteAddress.empty()) who->address = remoteAddress;

        AuthorizedStorage view(
            storage_, *who, [this](std::string_view password) { return logins_.HashForStorage(password); }, trail_);
        const functions::MailGate mail(mailer_, storage_, *who, logins_.Config(), clock_());
        const functions::CommandContext context{view, mail, clock_, *who};
        cJsonNode reply;
        try {
            if (command->readsOnly)
                view.InReadTransaction([&] { command->handler(context, request, reply); });
            else
                command->handler(context, request, reply);
        } catch (...) {
            trail_.Record(*who, view.TakeAudit());
            throw;
        }
        trail_.Record(*who, view.TakeAudit());
        return functions::ReplyText(reply);
    } catch (const functions::CommandError& e) {
        return ErrorReply(e.what());
    } catch (const AccessDenied& e) {
        return ErrorReply(std::string("Not allowed: ") + e.what());
    } catch (const std::exception& e) {
        // The store's own words stay in the server's log, not on the screen.
        Log(Severity::Error, "function server: " + name + " failed: " + e.what());
    } catch (...) {
        Log(Severity::Error, "function server: " + name + " failed");
    }
    return ErrorReply("The server could not complete \"" + name + "\"; the fault has been logged.");
}

}  // namespace dalvero::server
