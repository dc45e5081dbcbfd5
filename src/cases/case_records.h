#pragma once
// Reading and writing the open case's Cases and Patients records for the
// patient editors, with the messages a failed read or write shows.

#include <string>

#include "string_list.h"

class QWidget;

namespace dalvero {

struct ClientSession;
struct OpenCase;

// "fN=value", an item of a record's value list.
std::string FieldItem(int field, const std::string& value);
// Item n of a record read by ReadRecord (field n); empty past its end.
std::string RecordItem(const StringList& record, std::size_t n);

// The open patient and case (CurrentPatientSeq, CurrentCaseSeq); a failure
// says "Problem reading patient data" or "Problem reading case data".
bool ReadOpenPatient(ClientSession& session, const OpenCase& open, QWidget* parent, StringList& record);
bool ReadOpenCase(ClientSession& session, const OpenCase& open, QWidget* parent, StringList& record);

// Writes the values, each field with the value it had in record (the record
// as read, item n field n): when someone else changed one since, the user
// chooses between both texts and record becomes the stored one. Nothing to
// write is success. A failure is said (with the server's reason when it gave
// one), so that the editor stays open with what the user typed.
bool UpdateOpenPatient(ClientSession& session, const OpenCase& open, QWidget* parent, StringList values,
                       StringList& record);
bool UpdateOpenCase(ClientSession& session, const OpenCase& open, QWidget* parent, StringList values,
                    StringList& record);

}  // namespace dalvero
