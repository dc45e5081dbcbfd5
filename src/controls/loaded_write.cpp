#include "loaded_write.h"

#include <optional>

#include "db_server_connection.h"
#include "field_conflict_form.h"
#include "record_ops.h"
#include "refusal_codes.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
std::string NameOf(const std::string& item) { return item.substr(0, item.find('=')); }
std::string ValueOf(const std::string& item) {
    const std::size_t equals = item.find('=');
    return equals == std::string::npos ? std::string() : item.substr(equals + 1);
}
// The explicit empty value reads as nothing, as the server stores it.
std::string Plain(std::string value) { return value == catalogue::kEmptyValue ? std::string() : value; }
// An empty loaded value is still a value to check against.
void Remember(StringList& loaded, const std::string& name, const std::string& value) {
    loaded.SetValue(name, value.empty() ? std::string(catalogue::kEmptyValue) : value);
}

// The refused write's fields as stored now; each one that is no longer its
// loaded value is the user's to choose. Cancelled when they closed the
// window, Failed when the stored values could not be read or none of them
// changed (the refusal was about something else).
LoadedWrite Reconcile(dbServerConnection& db, const std::string& table, const std::string& seq, StringList& values,
                      StringList& loaded, QWidget* parent) {
    std::string names;
    for (const std::string& item : values) names += (names.empty() ? "" : ",") + NameOf(item);
    std::string read;
    if (!GetRecordFields(db, table, seq, names, read)) return LoadedWrite::Failed;
    const StringList stored(ParseCommaText(read));
    bool changed = false;
    for (std::string& item : values) {
        const std::string name = NameOf(item);
        const std::string theirs = DecodeLineBreaks(Plain(stored.Value(name)));
        if (loaded.IndexOfName(name) < 0 || DecodeLineBreaks(Plain(loaded.Value(name))) == theirs) continue;
        const std::optional<std::string> chosen = ResolveFieldConflict(parent, Plain(ValueOf(item)), theirs);
        if (!chosen) return LoadedWrite::Cancelled;
        item = name + "=" + (chosen->empty() ? std::string(catalogue::kEmptyValue) : *chosen);
        Remember(loaded, name, theirs);
        changed = true;
    }
    return changed ? LoadedWrite::Written : LoadedWrite::Failed;
}
}  // namespace

StringList ChangedItems(const StringList& loaded, const StringList& shown) {
    StringList changed;
    for (const std::string& item : shown) {
        const std::string name = NameOf(item);
        if (loaded.IndexOfName(name) < 0 || loaded.Value(name) != shown.Value(name)) changed.push_back(item);
    }
    return changed;
}

StringList WithLoadedItems(const StringList& values, const StringList& loaded) {
    StringList items = values;
    for (const std::string& item : values) {
        const std::string name = NameOf(item);
        if (loaded.IndexOfName(name) >= 0) items.push_back("Loaded." + name + "=" + loaded.Value(name));
    }
    return items;
}

LoadedWrite WriteLoaded(dbServerConnection& db, const std::string& table, const std::string& seq,
                        StringList& values, StringList& loaded, QWidget* parent) {
    while (!UpdateRecord(db, table, seq, WithLoadedItems(values, loaded))) {
        if (db.ErrorCode != refusal::kChanged) return LoadedWrite::Failed;
        const LoadedWrite chosen = Reconcile(db, table, seq, values, loaded, parent);
        if (chosen != LoadedWrite::Written) return chosen;
    }
    for (const std::string& item : values) Remember(loaded, NameOf(item), Plain(ValueOf(item)));
    return LoadedWrite::Written;
}

}  // namespace dalvero
