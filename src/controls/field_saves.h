#pragma once
// Field saves that the server did not take. Screens that write one field as
// it is left go through cFieldSaves::Save; a write that fails is never lost:
//
//   - the user is told once ("... could not be saved ..."), the control keeps
//     its text and its changed flag, and the write is remembered with the
//     record it belongs to;
//   - every later save that reaches the server, and RetryAll (called when the
//     server is back), writes the remembered ones again;
//   - before the record goes out of view (leaving it, closing the window)
//     the screen calls Resolve: the user answers Retry or Discard until
//     nothing is left;
//   - unattended (the idle timeout) the screen calls KeepUnresolved: one more
//     try, then each field's text goes to a recovery file in the user's
//     application data folder, which OfferRecovered gives back the next time
//     that record is loaded;
//   - a field whose loaded value the screen gave (Loaded) is written with it:
//     when someone else changed the stored value since, the user sees both
//     texts and keeps theirs, takes the other or merges the two;
//   - a write the server refuses for good (a closed case, a value it does not
//     take) is said with the server's reason and the text goes to a recovery
//     file at once.

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "string_list.h"

class QWidget;

namespace dalvero {

class dbServerConnection;

class cFieldSaves {
public:
    // Writes the control's field (its tag's field number) to table/seq when
    // its changed flag is set. False when it stays unsaved; tell: say so when
    // it is the field's first failure (callers that ask at once do not).
    bool Save(dbServerConnection& db, const std::string& table, const std::string& seq, QWidget* control,
              bool tell = true);
    // The same for a value no single control holds (the health check-list):
    // text is written to field of table/seq; a failure is told over parent.
    bool SaveText(dbServerConnection& db, const std::string& table, const std::string& seq, int field,
                  const std::string& text, QWidget* parent, bool tell = true);
    // Writes every remembered field again; true when none is left.
    bool RetryAll(dbServerConnection& db);
    bool HasUnsaved() const { return !unsaved_.empty(); }
    // The value field of table/seq was loaded with (as stored).
    void Loaded(const std::string& table, const std::string& seq, int field, std::string value);
    // The field's value as last loaded or written; none
    // when the screen gave no loaded value.
    std::optional<std::string> LoadedValue(const std::string& table, const std::string& seq, int field) const;

    // Retries; while fields are left, asks Retry or Discard over parent. A
    // box closed without either answer keeps the texts in recovery files.
    void Resolve(dbServerConnection& db, QWidget* parent);
    // Nobody is there to answer (the idle logoff): from now on no failure
    // is told.
    void GoUnattended() { unattended_ = true; }
    // Retries once, unattended; what is left goes to recovery files.
    void KeepUnresolved(dbServerConnection& db);

    // After controls were loaded from table/seq: offers each recovered text
    // of those fields back; one taken becomes the control's changed text.
    void OfferRecovered(const std::string& table, const std::string& seq, const std::vector<QWidget*>& controls,
                        QWidget* parent);

private:
    struct Unsaved {
        std::string table;
        std::string seq;
        int field = 0;
        std::string text;
        QWidget* control = nullptr;  // none for a value saved by SaveText
    };
    using Key = std::tuple<std::string, std::string, int>;
    static Key KeyOf(const Unsaved& field) { return {field.table, field.seq, field.field}; }
    bool Put(dbServerConnection& db, Unsaved field, QWidget* parent, bool tell);
    // The field's loaded value as an "fN=value" item; none when not known.
    StringList LoadedOf(const Unsaved& field) const;
    // Keeps the field's loaded value from loaded, when it is one the screen gave.
    void Remember(const Unsaved& field, const StringList& loaded);
    // One write, asking nobody; a success makes the text the field's loaded value.
    bool Write(dbServerConnection& db, const Unsaved& field);
    // One write; when the stored value changed since it was loaded, the
    // user's choice becomes the field's text (and its control's) and is
    // written over the value stored now.
    bool WriteAsking(dbServerConnection& db, Unsaved& field, QWidget* parent);
    // Drops the remembered fields, each control's changed flag with them.
    void Forget();

    std::vector<Unsaved> unsaved_;
    std::map<Key, std::string> loaded_;
    bool unattended_ = false;
};

// Recovery files: one per record and field, in the user's application data
// folder.
void KeepRecoveredText(const std::string& table, const std::string& seq, int field, const std::string& text);
// The kept text, removed from the folder; none when there is none.
std::optional<std::string> TakeRecoveredText(const std::string& table, const std::string& seq, int field);

}  // namespace dalvero
