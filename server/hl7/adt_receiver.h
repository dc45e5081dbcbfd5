#pragma once
// The admission listener's handling of one message, without a socket: the
// message text in (its MLLP frame taken off), the acknowledgement out.
//
// MSH-4 names the sending facility, which server.ini maps to a hospital; a
// message from any other is rejected, as is one that is not HL7, not ADT or
// of an event or version the listener does not apply. Each facility's
// control ids (MSH-10) are remembered in the store with the answer they got,
// inside the transaction that applies the message: a message is applied
// once, even when several servers share the store, and a resend gets its
// first answer again. An answer that says the store failed is not
// remembered, so the sender's retry is applied.
//
// The facility and the sender's address are "who" in the audit trail: every
// write has its row, and every applied message one more ("adt") naming its
// event and control id.

#include <map>
#include <string>
#include <string_view>

namespace dalvero::server {

class AuditWriter;
class Storage;

namespace hl7 {

class AdtReceiver {
public:
    // facilities: sending facility (MSH-4) -> hospital Seq. The store and
    // trail must outlive the receiver.
    AdtReceiver(Storage& store, AuditWriter& trail, std::map<std::string, std::string> facilities);

    // The acknowledgement of the message from remote; never throws.
    std::string Receive(std::string_view text, const std::string& remote);

private:
    Storage& store_;
    AuditWriter& trail_;
    std::map<std::string, std::string> facilities_;
};

}  // namespace hl7
}  // namespace dalvero::server
