// The HL7 v2 reader of the admission listener: any text reads without
// fault; every value of a message that reads comes out whole, and so do the
// ADT fields; a value this system escapes reads back as it was (line ends
// as line feeds); and the acknowledgement of any message reads as one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "acknowledgement.h"
#include "adt_fields.h"
#include "hl7_message.h"

namespace hl7 = dalvero::server::hl7;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto message = hl7::Message::Parse(text)) {
        for (const char* segment : {"MSH", "EVN", "PID", "PV1"})
            for (int field = 1; field <= 46; ++field)
                for (int repetition = 0; repetition < std::min(message->Repetitions(segment, field), 3); ++repetition)
                    for (int component = 1; component <= 8; ++component)
                        message->Value(segment, field, component, repetition);
        try {
            hl7::PatientValues(*message);
            hl7::StayValues(*message);
            hl7::RecordNumber(*message);
            hl7::EventTime(*message, 44);
        } catch (const hl7::AdtRefusal&) {
        }
        const std::string ack = hl7::Acknowledgement(&*message, hl7::AckCode::Error, {"207", std::string(text)}, "1");
        const auto answer = hl7::Message::Parse(ack);
        if (!answer || !answer->Has("MSA") || !answer->Has("ERR")) __builtin_trap();
    }
    std::string expected(text);
    for (char& c : expected)
        if (c == '\r') c = '\n';
    const auto written = hl7::Message::Parse("MSH|^~\\&|" + hl7::Message::Escape(text) + "\r");
    if (!written || written->Value("MSH", 3) != expected) __builtin_trap();
    return 0;
}
