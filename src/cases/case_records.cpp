#include "case_records.h"

#include "dialog_seam.h"
#include "main_window_state.h"
#include "record_ops.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
namespace tbl = catalogue::tbl;

bool Read(MainWindowState& main, QWidget* parent, const char* table, const std::string& seq, StringList& record,
          const char* failure) {
    record.clear();
    if (ReadRecord(*main.Session.DataServer, table, seq, record)) return true;
    record.clear();
    ShowMessageBox(parent, failure, "Error");
    return false;
}

bool Update(MainWindowState& main, QWidget* parent, const char* table, const std::string& seq,
            const StringList& values) {
    if (UpdateRecord(*main.Session.DataServer, table, seq, values)) return true;
    ShowMessageBox(parent, "The changes could not be saved; please try again.", "Error");
    return false;
}
}  // namespace

std::string FieldItem(int field, const std::string& value) { return "f" + std::to_string(field) + "=" + value; }

std::string RecordItem(const StringList& record, std::size_t n) {
    return n < record.size() ? record[n] : std::string();
}

bool ReadOpenPatient(MainWindowState& main, QWidget* parent, StringList& record) {
    return Read(main, parent, tbl::kPatients, main.CurrentPatientSeq, record, "Problem reading patient data");
}

bool ReadOpenCase(MainWindowState& main, QWidget* parent, StringList& record) {
    return Read(main, parent, tbl::kCases, main.CurrentCaseSeq, record, "Problem reading case data");
}

bool UpdateOpenPatient(MainWindowState& main, QWidget* parent, const StringList& values) {
    return Update(main, parent, tbl::kPatients, main.CurrentPatientSeq, values);
}

bool UpdateOpenCase(MainWindowState& main, QWidget* parent, const StringList& values) {
    return Update(main, parent, tbl::kCases, main.CurrentCaseSeq, values);
}

}  // namespace dalvero
