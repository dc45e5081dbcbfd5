#include "case_records.h"

#include "dialog_seam.h"
#include "client_session.h"
#include "loaded_write.h"
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

bool Update(ClientSession& session, QWidget* parent, const char* table, const std::string& seq, StringList values,
            StringList& record) {
    if (values.empty()) return true;
    dbServerConnection& db = *session.DataServer;
    const auto fieldOf = [](const std::string& item) {
        return static_cast<std::size_t>(ToIntDef(item.substr(1, item.find('=') - 1), 0));
    };
    StringList loaded;
    for (const std::string& item : values)
        loaded.push_back(FieldItem(static_cast<int>(fieldOf(item)), RecordItem(record, fieldOf(item))));
    switch (WriteLoaded(db, table, seq, values, loaded, parent)) {
    case LoadedWrite::Written: break;
    case LoadedWrite::Cancelled: return false;
    case LoadedWrite::Failed: {
        const std::string reason = LastingRefusal(db);
        ShowMessageBox(parent,
                       "The changes could not be saved" + (reason.empty() ? "; please try again." : ": " + reason),
                       "Error");
        return false;
    }
    }
    for (const std::string& item : values) {
        const std::size_t field = fieldOf(item);
        if (field >= record.size()) record.items().resize(field + 1);
        const std::string value = item.substr(item.find('=') + 1);
        record[field] = value == catalogue::kEmptyValue ? std::string() : value;
    }
    return true;
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

bool UpdateOpenPatient(ClientSession& session, const OpenCase& open, QWidget* parent, StringList values,
                       StringList& record) {
    return Update(session, parent, tbl::kPatients, open.CurrentPatientSeq, std::move(values), record);
}

bool UpdateOpenCase(ClientSession& session, const OpenCase& open, QWidget* parent, StringList values,
                    StringList& record) {
    return Update(session, parent, tbl::kCases, open.CurrentCaseSeq, std::move(values), record);
}

}  // namespace dalvero
