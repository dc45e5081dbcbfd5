#include "mail_gate.h"

#include "audit_trail.h"
#include "schema.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {

namespace au = schema::audit;

MailGate::MailGate(const mail::Mailer& mailer, Storage& store, const Principal& who, const SecurityConfig& limits,
                   std::time_t now)
    : mailer_(mailer), store_(store), who_(who), limits_(limits), now_(now) {}

std::string MailGate::Send(const mail::Message& message, std::int64_t caseSeq) const {
    const std::vector<Condition> lastHour{{au::kAction, CompareOp::Equal, audit_action::kMail, false},
                                          {au::kTime, CompareOp::AtLeast, AuditStamp(now_ - 3600), false}};
    auto with = [&](std::vector<Condition> more) {
        more.insert(more.end(), lastHour.begin(), lastHour.end());
        return more;
    };
    if (store_.Count(schema::kAuditTrail, with({{au::kPerson, CompareOp::Equal, std::to_string(who_.person), false}})) >=
        limits_.mailsPerUserPerHour)
        return "you have sent the most e-mails allowed in an hour; try again later";
    if (store_.Count(schema::kAuditTrail, with({{au::kTable, CompareOp::Equal, catalogue::tbl::kCases, false},
                                                {au::kRecord, CompareOp::Equal, std::to_string(caseSeq), false}})) >=
        limits_.mailsPerCasePerHour)
        return "this case has had the most e-mails allowed in an hour; try again later";
    std::string error = mailer_.Send(message);
    if (!error.empty()) return error;
    const auto theCase = store_.Read(catalogue::tbl::kCases, caseSeq);
    const std::string patient = theCase ? theCase->Field(catalogue::cases::kPatient) : std::string();
    AppendAudit(store_, who_, {{audit_action::kMail, catalogue::tbl::kCases, caseSeq, patient, "to " + message.to + ": " + message.subject}},
                now_);
    return {};
}

}  // namespace dalvero::server::functions
