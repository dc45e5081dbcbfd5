#include "doctor_notification.h"

#include "case_text.h"
#include "command_args.h"
#include "need_status.h"
#include "store_reads.h"
#include "table_catalogue.h"

namespace dalvero::server::functions {
namespace cat = catalogue;
namespace {

std::string StatusText(const std::string& status) {
    if (status == "1B") return "all providers asked have declined";
    if (status == "1C") return "a provider has accepted; none chosen yet";
    if (status == "2") return "waiting for providers to answer";
    return "no provider asked yet";
}

// The plan: one paragraph per need with its awarded provider or its state.
std::string NeedsText(Storage& storage, std::int64_t caseSeq) {
    const auto needs = ListedNeeds(storage, caseSeq);
    if (needs.empty()) return "No needs after discharge have been recorded.\n";
    std::string text;
    for (const Record& need : needs) {
        const std::string when = WhenText(Field(need, cat::case_needs::kRequired));
        text += "- " + NeedName(storage, need) + (when.empty() ? "" : ", needed by " + when) + "\n";
        if (const std::string description = Field(need, cat::case_needs::kDescription); !description.empty())
            text += "  " + description + "\n";
        std::optional<Record> provider;
        if (auto quote = ReadLinked(storage, cat::tbl::kCaseNeedsQuote, Field(need, cat::case_needs::kAwardedQuote)))
            provider = ReadLinked(storage, cat::tbl::kProviderEntities, Field(*quote, cat::quotes::kProvider));
        if (provider) {
            const std::string phone = Field(*provider, cat::providers::kPhone);
            text += "  Provider: " + Field(*provider, cat::providers::kName) + (phone.empty() ? "" : ", " + phone) +
                    "\n";
        } else {
            text += "  Provider: " + StatusText(NeedStatus(storage, need)) + "\n";
        }
        if (const std::string delivered = WhenText(Field(need, cat::case_needs::kDelivered)); !delivered.empty())
            text += "  Delivered: " + delivered + "\n";
    }
    return text;
}

}  // namespace

void SendDoctorNotificationEmail(const CommandContext& context, cJsonNode& request, cJsonNode&) {
    Storage& storage = context.storage;
    const std::int64_t caseSeq = RequiredSeq(request, "CaseSeq", "case");
    const auto theCase = storage.Read(cat::tbl::kCases, caseSeq);
    if (!theCase) throw CommandError("Case " + std::to_string(caseSeq) + " was not found.");

    std::optional<Record> doctor;
    for (const Record& link :
         RecordsWhere(storage, cat::tbl::kCaseDoctorsLink, cat::case_doctors::kCase, std::to_string(caseSeq))) {
        if (!SameText(Field(link, cat::case_doctors::kPrimary), cat::case_doctors::kPrimaryMark)) continue;
        doctor = ReadLinked(storage, cat::tbl::kPersonnel, Field(link, cat::case_doctors::kDoctor));
        if (doctor) break;
    }
    if (!doctor) throw CommandError("No primary physician has been designated for this case.");
    const std::string address = PersonAddress(*doctor);
    if (address.empty())
        throw CommandError("The primary physician " + PersonName(*doctor) + " has no valid e-mail address.");

    const auto patient = ReadLinked(storage, cat::tbl::kPatients, Field(*theCase, cat::cases::kPatient));
    const auto hospital = ReadLinked(storage, cat::tbl::kProviderEntities, Field(*theCase, cat::cases::kHospital));
    const auto worker = ReadLinked(storage, cat::tbl::kPersonnel, Field(*theCase, cat::cases::kCaseWorker));
    const std::string caseNumber = Field(*theCase, cat::cases::kCaseNumber);
    const std::string hospitalName = hospital ? Field(*hospital, cat::providers::kName) : "the hospital";

    mail::Message message;
    message.to = address;
    message.subject = "Discharge plan for your approval - case " + caseNumber;
    if (worker) message.replyTo = PersonAddress(*worker);

    std::string& body = message.body;
    const std::string lastName = Field(*doctor, cat::personnel::kLastName);
    body = "Dear Dr. " + (lastName.empty() ? PersonName(*doctor) : lastName) + ",\n\n";
    body += "The discharge plan for your patient at " + hospitalName + " is ready for your approval.\n\n";
    if (patient) {
        body += "Patient: " + PatientName(*patient) + "\n";
        if (const std::string born = WhenText(Field(*patient, cat::patients::kBirthDate)); !born.empty())
            body += "Born: " + born + "\n";
    }
    body += "Case: " + caseNumber + "\n";
    if (const std::string admitted = WhenText(Field(*theCase, cat::cases::kAdmission)); !admitted.empty())
        body += "Admitted: " + admitted + "\n";
    if (const std::string discharge = WhenText(Field(*theCase, cat::cases::kDischarge)); !discharge.empty())
        body += "Planned discharge: " + discharge + "\n";
    body += "\nAfter discharge the patient needs:\n" + NeedsText(storage, caseSeq);
    body += "\nPlease reply to approve the plan or to ask for changes";
    body += worker ? " (case worker: " + PersonName(*worker) + ").\n" : ".\n";
    body += "\n" + hospitalName + "\n";

    if (const std::string error = context.mailer.Send(message, caseSeq); !error.empty())
        throw CommandError("The e-mail to " + PersonName(*doctor) + " could not be sent: " + error);
}

}  // namespace dalvero::server::functions
