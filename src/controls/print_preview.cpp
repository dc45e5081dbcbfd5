#include "print_preview.h"

#include <QLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

#include "dialog_seam.h"

namespace dalvero {

void ShowPrintPreview(QWidget* parent, const char* objectName, const std::string& title,
                      QPageLayout::Orientation orientation, const std::function<void(QPrinter&)>& paint,
                      const std::function<void()>& savePdf) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), orientation, QMarginsF()));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(objectName);
    preview.setWindowTitle(QString::fromStdString(title));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* device) { paint(*device); });
    auto* save = new QPushButton("Save as PDF", &preview);
    save->setObjectName("SaveAsPdfButton");
    if (preview.layout()) preview.layout()->addWidget(save);
    QObject::connect(save, &QPushButton::clicked, &preview, [&savePdf] { savePdf(); });
    ExecDialog(preview);
}

}  // namespace dalvero
