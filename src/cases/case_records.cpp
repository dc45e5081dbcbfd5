#include "case_records.h"

#include <optional>

#include "dialog_seam.h"
#include "client_session.h"
#include "field_conflict_form.h"
#include "open_case.h"
#include "record_ops.h"
#include "refusal_codes.h"
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

std::string LoadedItem(const std::string& item, const StringList& record) {
    const std::string name = item.substr(0, item.find('='));
    return "Loaded." + name + "=" + RecordItem(record, static_cast<std::size_t>(ToIntDef(name.substr(1), 0)));
}

bool Update(ClientSession& session, QWidget* parent, const char* table, const std::string& seq, StringList values,
            StringList& record) {
    if (values.empty()) return true;
    dbServerConnection& db = *session.DataServer;
    for (;;) {
        StringList items = values;
        for (const std::string& item : values) items.push_back(LoadedItem(item, record));
        if (UpdateRecord(db, table, seq, items)) break;
        StringList now;
        if (db.ErrorCode != refusal::kChanged || !ReadRecord(db, table, seq, now)) {
            const std::string reason = LastingRefusal(db);
            ShowMessageBox(parent,
                           "The changes could not be saved" + (reason.empty() ? "; please try again." : ": " + reason),
                           "Error");
            return false;
        }
        for (std::string& item : values) {
            const std::size_t equals = item.find('=');
            const auto field = static_cast<std::size_t>(ToIntDef(item.substr(1, equals - 1), 0));
            const std::string theirs = RecordItem(now, field);
            if (theirs == RecordItem(record, field)) continue;
            const std::optional<std::string> chosen = ResolveFieldConflict(parent, item.substr(equals + 1), theirs);
            if (!chosen) return false;
            item = item.substr(0, equals + 1) + *chosen;
        }
        record = std::move(now);
    }
    for (const std::string& item : values) {
        const std::size_t equals = item.find('=');
        const auto field = static_cast<std::size_t>(ToIntDef(item.substr(1, equals - 1), 0));
        if (field >= record.size()) record.items().resize(field + 1);
        record[field] = item.substr(equals + 1);
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

StringList ChangedItems(const StringList& loaded, const StringList& shown) {
    StringList changed;
    for (const std::string& item : shown) {
        const std::string name = item.substr(0, item.find('='));
        if (loaded.IndexOfName(name) < 0 || loaded.Value(name) != shown.Value(name)) changed.push_back(item);
    }
    return changed;
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
