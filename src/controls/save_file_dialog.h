#pragma once
// The "save as" question of the files the client writes for the user
// (reports, referrals), asked through the dialog seam.

#include <string>

class QWidget;

namespace dalvero {

// The path the user chose, starting in the user's documents with
// defaultName; empty when the user cancels. The executable's folder may not
// be writable, and the files hold patients' data, so the user's own folder
// is the place to start.
std::string AskForSaveFile(QWidget* parent, const std::string& defaultName);

}  // namespace dalvero
