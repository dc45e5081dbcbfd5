#include "save_file_dialog.h"

#include <QFileDialog>
#include <QStandardPaths>

#include "dialog_seam.h"

namespace dalvero {

std::string AskForSaveFile(QWidget* parent, const std::string& defaultName) {
    QFileDialog chooser(parent, "Save the report as");
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    chooser.selectFile(QString::fromStdString(defaultName));
    if (ExecDialog(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return {};
    return chooser.selectedFiles().front().toStdString();
}

}  // namespace dalvero
