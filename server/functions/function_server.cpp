#include "function_server.h"

#include <iostream>

#include "case_manager_status.h"
#include "code_lookup.h"
#include "doctor_notification.h"
#include "json_values.h"
#include "need_requests.h"
#include "need_status.h"
#include "provider_matching.h"
#include "provider_position.h"

namespace dalvero::server {
namespace {

using Handler = void (*)(const functions::CommandContext&, cJsonNode& request, cJsonNode& reply);

struct Command {
    const char* name;
    Handler handler;
};

constexpr Command kCommands[] = {
    {"getcasestatus", functions::GetCaseStatus},
    {"getcaseneedstatus", functions::GetCaseNeedStatus},
    {"processneedsmatching", functions::ProcessNeedsMatching},
    {"senddoctornotificationemail", functions::SendDoctorNotificationEmail},
    {"sendinitialneedsemails", functions::SendInitialNeedsEmails},
    {"getcasemanagerstatus", functions::GetCaseManagerStatus},
    {"updateproviderlatitudelongitude", functions::UpdateProviderLatitudeLongitude},
    {"geticd9symptomsforkeywords", functions::GetIcd9SymptomsForKeywords},
    {"geticd9treatmentsforkeywords", functions::GetIcd9TreatmentsForKeywords},
};

std::string ErrorReply(const std::string& text) {
    cJsonNode reply;
    functions::AddText(reply, "Error", text);
    return functions::ReplyText(reply);
}

}  // namespace

FunctionServer::FunctionServer(Storage& storage, const mail::Mailer& mailer, functions::Clock clock)
    : context_{storage, mailer, std::move(clock)} {}

functions::Clock FunctionServer::DefaultClock() {
    return [] { return std::time(nullptr); };
}

std::string FunctionServer::HandleCommand(std::string_view requestText) {
    requestText = requestText.substr(0, requestText.find('\0'));
    std::string name;
    try {
        cJsonNode request(requestText);
        if (request.IsArray()) return ErrorReply("The request is not a command object.");
        name = request.GetString("ServerCommand");
        if (name.empty()) return ErrorReply("The request names no ServerCommand.");
        for (const Command& command : kCommands) {
            if (!SameText(name, command.name)) continue;
            cJsonNode reply;
            command.handler(context_, request, reply);
            return functions::ReplyText(reply);
        }
        return ErrorReply("Unknown server command \"" + name + "\".");
    } catch (const functions::CommandError& e) {
        return ErrorReply(e.what());
    } catch (const std::exception& e) {
        // The store's own words stay in the server's log, not on the screen.
        std::cerr << "FunctionServer: " << name << " failed: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "FunctionServer: " << name << " failed\n";
    }
    return ErrorReply("The server could not complete \"" + name + "\"; the fault has been logged.");
}

}  // namespace dalvero::server
