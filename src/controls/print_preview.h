#pragma once
// The print preview of a printed list: Qt's preview, whose tool bar prints,
// plus a "Save as PDF" button for the same pages, run through the dialog
// seam so tests can look at it and close it.

#include <QPageLayout>

#include <functional>
#include <string>

class QPrinter;
class QWidget;

namespace dalvero {

// Shows the preview of the pages paint draws on Letter paper without
// margins; savePdf runs when the user asks for the PDF. objectName names the
// dialog for tests.
void ShowPrintPreview(QWidget* parent, const char* objectName, const std::string& title,
                      QPageLayout::Orientation orientation, const std::function<void(QPrinter&)>& paint,
                      const std::function<void()>& savePdf);

}  // namespace dalvero
