#include "field_saves.h"

#include <QDir>
#include <QStandardPaths>
#include <QWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "control_text.h"
#include "db_server_connection.h"
#include "dialog_seam.h"
#include "loaded_write.h"
#include "field_tag.h"
#include "record_ops.h"
#include "refusal_codes.h"
#include "string_list.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {
namespace fs = std::filesystem;

// Names come from the catalogue and the server; only letters and digits
// reach the file name.
std::string Safe(const std::string& text) {
    std::string safe;
    std::copy_if(text.begin(), text.end(), std::back_inserter(safe),
                 [](unsigned char c) { return std::isalnum(c) != 0; });
    return safe;
}

fs::path RecoveryFile(const std::string& table, const std::string& seq, int field) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return fs::path(folder.toStdString()) / "recovered" /
           (Safe(table) + "-" + Safe(seq) + "-f" + std::to_string(field) + ".txt");
}
}  // namespace

void KeepRecoveredText(const std::string& table, const std::string& seq, int field, const std::string& text) {
    const fs::path file = RecoveryFile(table, seq, field);
    // Patients' notes: for the user's own account only, whatever the umask
    // or an older version left.
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    for (const fs::path& folder : {file.parent_path().parent_path(), file.parent_path()})
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ignored);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    ::fchmod(fd, 0600);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

std::optional<std::string> TakeRecoveredText(const std::string& table, const std::string& seq, int field) {
    const fs::path file = RecoveryFile(table, seq, field);
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::error_code ignored;
    fs::remove(file, ignored);
    return text;
}

void cFieldSaves::Loaded(const std::string& table, const std::string& seq, int field, std::string value) {
    loaded_[{table, seq, field}] = std::move(value);
}

std::optional<std::string> cFieldSaves::LoadedValue(const std::string& table, const std::string& seq,
                                                    int field) const {
    const auto loaded = loaded_.find({table, seq, field});
    if (loaded == loaded_.end()) return std::nullopt;
    return loaded->second == catalogue::kEmptyValue ? std::string() : loaded->second;
}

StringList cFieldSaves::LoadedOf(const Unsaved& field) const {
    const auto loaded = loaded_.find(KeyOf(field));
    if (loaded == loaded_.end()) return {};
    return StringList{"f" + std::to_string(field.field) + "=" + loaded->second};
}

void cFieldSaves::Remember(const Unsaved& field, const StringList& loaded) {
    const auto known = loaded_.find(KeyOf(field));
    if (known != loaded_.end()) known->second = loaded.Value("f" + std::to_string(field.field));
}

bool cFieldSaves::Write(dbServerConnection& db, const Unsaved& field) {
    // A list of its own: an emptied field must still be written ("fN=").
    StringList values{"f" + std::to_string(field.field) + "=" + field.text};
    StringList loaded = LoadedOf(field);
    if (!UpdateRecord(db, field.table, field.seq, WithLoadedItems(values, loaded))) return false;
    Remember(field, values);
    return true;
}

bool cFieldSaves::WriteAsking(dbServerConnection& db, Unsaved& field, QWidget* parent) {
    const std::string name = "f" + std::to_string(field.field);
    StringList values{name + "=" + field.text};
    StringList loaded = LoadedOf(field);
    const LoadedWrite result = WriteLoaded(db, field.table, field.seq, values, loaded, parent);
    Remember(field, loaded);
    const std::string chosen = values.Value(name);
    if (chosen != field.text) {
        field.text = chosen == catalogue::kEmptyValue ? std::string() : chosen;
        if (field.control) SetControlText(field.control, field.text);
    }
    return result == LoadedWrite::Written;
}

bool cFieldSaves::Save(dbServerConnection& db, const std::string& table, const std::string& seq, QWidget* control,
                       bool tell) {
    if (!IsFieldChanged(control)) return true;
    if (seq.empty()) return false;
    return Put(db, {table, seq, TaggedFieldNumber(control), ControlText(control), control}, control->window(), tell);
}

bool cFieldSaves::SaveText(dbServerConnection& db, const std::string& table, const std::string& seq, int field,
                           const std::string& text, QWidget* parent, bool tell) {
    if (seq.empty()) return false;
    return Put(db, {table, seq, field, text, nullptr}, parent, tell);
}

bool cFieldSaves::Put(dbServerConnection& db, Unsaved field, QWidget* parent, bool tell) {
    // The newest text of a field replaces one that was not taken.
    const auto same = [&](const Unsaved& u) { return KeyOf(u) == KeyOf(field); };
    const bool reported = std::erase_if(unsaved_, same) > 0;
    const bool written = unattended_ ? Write(db, field) : WriteAsking(db, field, parent);
    if (written) {
        if (field.control) SetFieldChanged(field.control, false);
        RetryAll(db);
        return true;
    }
    if (const std::string reason = LastingRefusal(db); !reason.empty()) {
        // No retry can succeed: the text waits in a recovery file instead.
        KeepRecoveredText(field.table, field.seq, field.field, field.text);
        if (field.control) SetFieldChanged(field.control, false);
        if (!unattended_)
            ShowMessageBox(parent,
                           "This change could not be saved: " + reason +
                               "\nYour text is kept and offered again when this record is next opened.",
                           "Error");
        return false;
    }
    unsaved_.push_back(std::move(field));
    // An ended session is said once, with the way back to a log-in.
    if (tell && !reported && !unattended_ && db.ErrorCode != refusal::kNotLoggedIn)
        ShowMessageBox(parent,
                       "This change could not be saved: the data server cannot be reached.\nYour text is kept and "
                       "saved again when you leave a field or the server is back.",
                       "Error");
    return false;
}

bool cFieldSaves::RetryAll(dbServerConnection& db) {
    std::erase_if(unsaved_, [&](const Unsaved& field) {
        if (!Write(db, field)) return false;
        // Typing since then is a change still to be written.
        if (field.control && ControlText(field.control) == field.text) SetFieldChanged(field.control, false);
        return true;
    });
    return unsaved_.empty();
}

void cFieldSaves::Forget() {
    for (const Unsaved& field : unsaved_)
        if (field.control) SetFieldChanged(field.control, false);
    unsaved_.clear();
}

void cFieldSaves::Resolve(dbServerConnection& db, QWidget* parent) {
    while (!RetryAll(db)) {
        const QMessageBox::StandardButton answer =
            ShowMessageBox(parent,
                           "Some changes could not be saved: the data server cannot be reached.\nRetry to save them "
                           "now, or Discard them.",
                           "Unsaved Changes", QMessageBox::Retry | QMessageBox::Discard, QMessageBox::Warning);
        if (answer == QMessageBox::Retry) continue;
        if (answer != QMessageBox::Discard)
            for (const Unsaved& field : unsaved_) KeepRecoveredText(field.table, field.seq, field.field, field.text);
        Forget();
    }
}

void cFieldSaves::KeepUnresolved(dbServerConnection& db) {
    GoUnattended();
    if (RetryAll(db)) return;
    for (const Unsaved& field : unsaved_) KeepRecoveredText(field.table, field.seq, field.field, field.text);
    Forget();
}

void cFieldSaves::OfferRecovered(const std::string& table, const std::string& seq,
                                 const std::vector<QWidget*>& controls, QWidget* parent) {
    for (QWidget* control : controls) {
        const std::optional<std::string> text = TakeRecoveredText(table, seq, TaggedFieldNumber(control));
        if (!text) continue;
        if (ShowMessageBox(parent,
                           "Text typed here earlier could not be saved and was kept:\n\n" + *text +
                               "\n\nPut it back?",
                           "Recovered Text", QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::Question) != QMessageBox::Yes)
            continue;
        SetControlText(control, *text);
        SetFieldChanged(control, true);
    }
}

}  // namespace dalvero
