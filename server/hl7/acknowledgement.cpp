#include "acknowledgement.h"

namespace dalvero::server::hl7 {

namespace {

constexpr char kThisApplication[] = "DALVERO";
constexpr char kDefaultVersion[] = "2.5.1";

const char* CodeText(AckCode code) {
    switch (code) {
    case AckCode::Applied:
        return "AA";
    case AckCode::Error:
        return "AE";
    case AckCode::Rejected:
        break;
    }
    return "AR";
}

}  // namespace

std::string Acknowledgement(const Message* message, AckCode code, const AckReason& reason, const std::string& stamp) {
    auto value = [&](const char* segment, int field, int component = 1) {
        return message ? Message::Escape(message->Value(segment, field, component)) : std::string();
    };
    const std::string version = value("MSH", 12);
    const std::string processing = value("MSH", 11);
    const std::string controlId = value("MSH", 10);
    // The sender's application and facility are whom the answer is for.
    std::string ack = std::string("MSH|^~\\&|") + kThisApplication + "|" + value("MSH", 6) + "|" + value("MSH", 3) +
                      "|" + value("MSH", 4) + "|" + stamp + "||ACK^" + value("MSH", 9, 2) + "^ACK|ACK" + controlId +
                      "|" + (processing.empty() ? "P" : processing) + "|" +
                      (version.empty() ? kDefaultVersion : version) + "\r";
    ack += std::string("MSA|") + CodeText(code) + "|" + controlId + "|" + Message::Escape(reason.text) + "\r";
    if (code != AckCode::Applied)
        ack += "ERR|||" + Message::Escape(reason.errorCode) + "^^HL70357|E||||" + Message::Escape(reason.text) + "\r";
    return ack;
}

}  // namespace dalvero::server::hl7
