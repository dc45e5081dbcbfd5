#include "function_commands.h"

#include "db_server_connection.h"

namespace dalvero {

namespace {

constexpr char kServerCommand[] = "ServerCommand";
constexpr char kSession[] = "Session";

void Start(cJsonNode& request, std::string_view command) {
    request.Parse({});
    request.AddMember(kServerCommand, command);
}

std::string JoinSeqs(const std::vector<std::string>& seqs) {
    std::string out;
    for (const std::string& seq : seqs) {
        if (!out.empty()) out += ',';
        out += seq;
    }
    return out;
}

}  // namespace

bool RunFunctionCommand(dbServerConnection& connection, cJsonNode& request) {
    // The server runs nothing for a request that names no live session.
    if (!connection.Session.empty()) request.AddMember(kSession, connection.Session);
    const bool answered = connection.SendText(request.ToText()) && !connection.ReplyText.empty();
    // Without an answer the request must not read as one: neither as this
    // command's success nor as an earlier command's reply.
    request.Parse(answered ? std::string_view(connection.ReplyText) : std::string_view());
    if (!answered) {
        request.AddMember(fncmd::kError, kNoFunctionReply);
        return false;
    }
    return request.GetString(fncmd::kError).empty();
}

void BuildGetCaseStatus(cJsonNode& request, const std::vector<std::string>& caseSeqs) {
    Start(request, fncmd::kGetCaseStatus);
    request.AddMember("SeqList", JoinSeqs(caseSeqs));
}

void BuildGetCaseNeedStatus(cJsonNode& request, const std::vector<std::string>& needSeqs) {
    Start(request, fncmd::kGetCaseNeedStatus);
    request.AddMember("SeqList", JoinSeqs(needSeqs));
}

void BuildProcessNeedsMatching(cJsonNode& request, const NeedsMatchingArgs& args) {
    Start(request, fncmd::kProcessNeedsMatching);
    request.AddMember("CaseSeq", args.caseSeq);
    request.AddMember("NeedsSeqList", args.needSeq.empty() ? std::string("[ALL]") : "[" + args.needSeq + "]");
    if (!args.mileRadius.empty()) request.AddMember("MileRadius", args.mileRadius);
    request.AddMember("MaxNumberMatches", args.maxNumberMatches);
    if (args.moreProvidersMode) request.AddMember("MoreProvidersMode", "Y");
    if (args.mustMatchPrimaryIns) request.AddMember("MustMatchPrimaryIns", "Y");
}

void BuildSendDoctorNotificationEmail(cJsonNode& request, std::string_view caseSeq) {
    Start(request, fncmd::kSendDoctorNotificationEmail);
    request.AddMember("CaseSeq", caseSeq);
}

void BuildSendInitialNeedsEmails(cJsonNode& request, const std::vector<ProviderNeeds>& providers) {
    request.Parse({});
    for (const ProviderNeeds& provider : providers) {
        cJsonNode* needs = provider.needs.empty() ? nullptr : request.GetMember(provider.providerSeq);
        if (!needs) continue;
        for (const auto& [needSeq, needName] : provider.needs) needs->AddMember(needSeq, needName);
    }
    // The command follows the providers, as the matching window builds it.
    request.AddMember(kServerCommand, fncmd::kSendInitialNeedsEmails);
}

void BuildGetCaseManagerStatus(cJsonNode& request, const std::vector<std::string>& personnelSeqs, bool groupByDay) {
    Start(request, fncmd::kGetCaseManagerStatus);
    request.AddMember("SeqList", JoinSeqs(personnelSeqs));
    if (groupByDay) request.AddMember("GroupByDay", "Y");
}

void BuildUpdateProviderLatitudeLongitude(cJsonNode& request, std::string_view providerSeq) {
    Start(request, fncmd::kUpdateProviderLatitudeLongitude);
    request.AddMember("ProviderSeq", providerSeq);
}

void BuildCodeKeywordLookup(cJsonNode& request, std::string_view command, std::string_view keyWordPhrase) {
    Start(request, command);
    request.AddMember("KeyWordPhrase", keyWordPhrase);
}

}  // namespace dalvero
