#pragma once
// The answer to every message the admission listener reads: an HL7 ACK whose
// MSA-1 says applied (AA), understood but not applied (AE) or rejected (AR),
// with the reason in MSA-3 and, for the last two, an ERR segment. It is
// written with the standard separators, whatever the message used.

#include <string>

#include "hl7_message.h"

namespace dalvero::server::hl7 {

enum class AckCode { Applied, Error, Rejected };

struct AckReason {
    std::string errorCode;  // HL7 table 0357; empty when applied
    std::string text;
};

// The acknowledgement of message, or a bare one naming no message when none
// could be read; stamp is its MSH-7.
std::string Acknowledgement(const Message* message, AckCode code, const AckReason& reason, const std::string& stamp);

}  // namespace dalvero::server::hl7
