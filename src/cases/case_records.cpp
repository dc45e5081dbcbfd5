#include "case_records.h"

#include "dialog_seam.h"
#include "client_session.h"
#include "open_case.h"
#include "record_ops.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
namespace tbl = catalogue::tbl;

bool Read(ClientSession& session, QWidget* parent, const char* table, const std::string& seq, StringList& record,
          const char* failure) {
    record.clear();
    if (ReadRecord(*session.DataServer, table, seq, record)) return true;
    record.clear();
    ShowMessageBox(parent, failure, "Error");
    return false;
}

bool Update(ClientSession& session, QWidget* parent, const char* table, const std::string& seq,
            const StringList& values) {
    if (UpdateRecord(*session.DataServer, table, seq, values)) return true;
    ShowMessageBox(parent, "The changes could not be saved; please try again.", "Error");
    return false;
}
}  // namespace

std::string FieldItem(int field, const std::string& value) { return "f" + std::to_string(field) + "=" + value; }

std::string RecordItem(const StringList& record, std::size_t n) {
    return n < record.size() ? record[n] : std::string();
}

bool ReadOpenPatient(ClientSession& session, const OpenCase& open, QWidget* parent, StringList& record) {
    return Read(session, parent, tbl::kPatients, open.CurrentPatientSeq, record, "Problem reading patient data");
}

bool ReadOpenCase(ClientSession& session, const OpenCase& open, QWidget* parent, StringList& record) {
    return Read(session, parent, tbl::kCases, open.CurrentCaseSeq, record, "Problem reading case data");
}

bool UpdateOpenPatient(ClientSession& session, const OpenCase& open, QWidget* parent, const StringList& values) {
    return Update(session, parent, tbl::kPatients, open.CurrentPatientSeq, values);
}

bool UpdateOpenCase(ClientSession& session, const OpenCase& open, QWidget* parent, const StringList& values) {
    return Update(session, parent, tbl::kCases, open.CurrentCaseSeq, values);
}

}  // namespace dalvero
