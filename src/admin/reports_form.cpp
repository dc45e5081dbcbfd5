#include "reports_form.h"

#include <QFontDatabase>

#include "ui_reports_form.h"

namespace dalvero {

TReportsForm::TReportsForm(const std::vector<std::string>& lines, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TReportsForm>()) {
    ui->setupUi(this);
    // The state file's columns line up only in a fixed-pitch font.
    ui->ReportMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    ui->ReportMemo->setPlainText(text.join('\n'));
    connect(ui->BackButton, &QPushButton::clicked, this, &QDialog::accept);
}

TReportsForm::~TReportsForm() = default;

std::string TReportsForm::Text() const { return ui->ReportMemo->toPlainText().toStdString(); }

}  // namespace dalvero
