#pragma once
// Writes that carry the values the user saw when the record was loaded, so
// that two people on one field do not overwrite each other unseen: the server
// refuses such a write when a stored value changed since. The user then sees
// both texts of each field that changed and keeps theirs, takes the other or
// merges the two, and the write is tried again with that choice. Every
// screen that writes fields of a record it showed goes through here, the
// field saves of cFieldSaves among them.

#include <string>

#include "string_list.h"

class QWidget;

namespace dalvero {

class dbServerConnection;

enum class LoadedWrite { Written, Failed, Cancelled };

// The items of shown ("fN=value", what an editor holds now) that differ from
// the item of the same name in loaded (what it showed when loaded): an
// editor writes only what the user changed.
StringList ChangedItems(const StringList& loaded, const StringList& shown);

// The items of one write: values ("fN=text") and, for each field that has an
// item in loaded ("fN=value as loaded"), its "Loaded.fN=value" item.
StringList WithLoadedItems(const StringList& values, const StringList& loaded);

// Writes values to table/seq with their loaded values; a field missing from
// loaded is written unchecked. After a change by someone else, values hold
// the texts the user chose and loaded the stored ones; after a write, loaded
// holds the written values. Failed leaves the connection's error for the
// caller to say; Cancelled means the user closed the conflict window.
LoadedWrite WriteLoaded(dbServerConnection& db, const std::string& table, const std::string& seq,
                        StringList& values, StringList& loaded, QWidget* parent);

}  // namespace dalvero
