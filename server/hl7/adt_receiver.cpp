#include "adt_receiver.h"

#include <set>

#include "acknowledgement.h"
#include "adt_events.h"
#include "adt_fields.h"
#include "audit_writer.h"
#include "authorized_storage.h"
#include "hl7_message.h"
#include "schema.h"
#include "server_log.h"
#include "utf8_text.h"

namespace dalvero::server::hl7 {

namespace {

namespace am = schema::adt_messages;

constexpr const char* kVersions[] = {"2.3", "2.3.1", "2.4", "2.5", "2.5.1"};
constexpr char kUnsupportedMessageType[] = "200";
constexpr char kSegmentSequenceError[] = "100";
constexpr std::size_t kMaxControlId = 199;

bool IsKnownVersion(const std::string& version) {
    for (const char* known : kVersions)
        if (version == known) return true;
    return false;
}

}  // namespace

AdtReceiver::AdtReceiver(Storage& store, AuditWriter& trail, std::map<std::string, std::string> facilities)
    : store_(store), trail_(trail), facilities_(std::move(facilities)) {}

std::string AdtReceiver::Receive(std::string_view text, const std::string& remote) {
    const std::string stamp = AuditStamp(trail_.Now());
    const std::optional<Message> message = Message::Parse(text);
    if (!message)
        return Acknowledgement(nullptr, AckCode::Rejected, {kSegmentSequenceError, "Not an HL7 v2 message"}, stamp);
    auto reject = [&](const char* code, const std::string& why) {
        LogThrottled("hl7 rejected", "HL7 message from " + remote + " rejected: " + why);
        return Acknowledgement(&*message, AckCode::Rejected, {code, why}, stamp);
    };
    const std::string facility = message->Value("MSH", 4);
    const auto hospital = facilities_.find(facility);
    if (hospital == facilities_.end()) return reject(error_code::kUnknownKey, "Unknown sending facility " + facility);
    const std::string type = message->Value("MSH", 9, 1);
    const std::string event = message->Value("MSH", 9, 2);
    if (type != "ADT") return reject(kUnsupportedMessageType, "Unsupported message type " + type);
    if (!IsAdtEvent(event)) return reject(error_code::kUnsupportedEvent, "Unsupported event " + event);
    const std::string version = message->Value("MSH", 12);
    if (!IsKnownVersion(version)) return reject(error_code::kUnsupportedVersion, "Unsupported version " + version);
    const std::string controlId = message->Value("MSH", 10);
    if (controlId.empty()) return reject(error_code::kRequiredFieldMissing, "MSH-10 message control id is missing");
    // HL7's own bound; the id is kept in the store and in the audit trail.
    if (controlId.size() > kMaxControlId)
        return reject(error_code::kDataTypeError,
                      "MSH-10 is longer than " + std::to_string(kMaxControlId) + " characters");
    if (!IsUtf8(text)) return reject(error_code::kDataTypeError, "The message is not UTF-8 text");

    Principal who;
    who.hospital = hospital->second;
    who.email = "hl7:" + facility;
    who.address = remote;
    std::set<std::int64_t> foundBySsn;  // a patient of another hospital found by SSN may be admitted here too
    AuthorizedStorage view(store_, who, {}, trail_, &foundBySsn);
    std::string answer;
    try {
        store_.InTransaction([&] {
            ListRead earlier;
            earlier.table = schema::kAdtMessages;
            earlier.where = {{am::kControlId, CompareOp::Equal, controlId, false},
                             {am::kFacility, CompareOp::Equal, facility, false}};
            earlier.limit = 1;
            if (const std::vector<Record> seen = store_.Select(earlier); !seen.empty()) {
                answer = seen.front().Field(am::kAnswer);
                return;
            }
            AdtOutcome outcome;
            bool applied = false;
            try {
                store_.InTransaction(
                    [&] { outcome = ApplyAdtEvent(*message, event, {view, store_, hospital->second}); });
                answer = Acknowledgement(&*message, AckCode::Applied, {"", ""}, stamp);
                applied = true;
            } catch (const AdtRefusal& refusal) {
                answer = Acknowledgement(&*message, AckCode::Error, {refusal.code(), refusal.what()}, stamp);
            } catch (const AccessDenied& denied) {
                answer = Acknowledgement(&*message, AckCode::Error, {error_code::kUnknownKey, denied.what()}, stamp);
            }
            const std::int64_t logged = store_.Add(schema::kAdtMessages, {{am::kFacility, facility},
                                                                          {am::kControlId, controlId},
                                                                          {am::kAnswer, answer},
                                                                          {am::kReceived, stamp}});
            if (applied)
                AppendAudit(store_, who, {{audit_action::kAdt, schema::kAdtMessages, logged, outcome.patient,
                                           event + " " + controlId}},
                            trail_.Now());
        });
    } catch (const std::exception& e) {
        Log("HL7 message " + controlId + " from " + remote + " failed: " + e.what());
        answer = Acknowledgement(&*message, AckCode::Error,
                                 {error_code::kInternalError, "The message could not be applied; send it again"},
                                 stamp);
    }
    trail_.Record(who, view.TakeAudit());
    return answer;
}

}  // namespace dalvero::server::hl7
