#include "field_saves.h"

#include <QDir>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "control_text.h"
#include "dialog_seam.h"
#include "field_tag.h"
#include "record_ops.h"

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
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
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

bool cFieldSaves::Write(dbServerConnection& db, const Unsaved& field) const {
    // A list of its own: an emptied field must still be written ("fN=").
    return UpdateRecord(db, field.table, field.seq, StringList{"f" + std::to_string(field.field) + "=" + field.text});
}

bool cFieldSaves::Save(dbServerConnection& db, const std::string& table, const std::string& seq, QWidget* control,
                       bool tell) {
    if (!IsFieldChanged(control)) return true;
    if (seq.empty()) return false;
    Unsaved field{table, seq, TaggedFieldNumber(control), ControlText(control), control};
    // The newest text of a field replaces one that was not taken.
    const auto same = [&](const Unsaved& u) { return u.control == control && u.table == table && u.seq == seq; };
    const bool reported = std::erase_if(unsaved_, same) > 0;
    if (Write(db, field)) {
        SetFieldChanged(control, false);
        RetryAll(db);
        return true;
    }
    unsaved_.push_back(std::move(field));
    if (tell && !reported)
        ShowMessageBox(control->window(),
                       "This change could not be saved: the data server cannot be reached.\nYour text is kept and "
                       "saved again when you leave a field or the server is back.",
                       "Error");
    return false;
}

bool cFieldSaves::RetryAll(dbServerConnection& db) {
    std::erase_if(unsaved_, [&](const Unsaved& field) {
        if (!Write(db, field)) return false;
        // Typing since then is a change still to be written.
        if (ControlText(field.control) == field.text) SetFieldChanged(field.control, false);
        return true;
    });
    return unsaved_.empty();
}

void cFieldSaves::Forget() {
    for (const Unsaved& field : unsaved_) SetFieldChanged(field.control, false);
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
