// The Reports tab of the administration screen: the state discharge data
// file and its spreadsheet, the late discharge report and the NF placement
// call list, made by the same builders and writers as dalvero-cli's.
#include "admin_main_form.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include "client_session.h"
#include "date_edit.h"
#include "dialog_seam.h"
#include "late_discharge.h"
#include "pdf_print.h"
#include "print_preview.h"
#include "report_files.h"
#include "report_queries.h"
#include "save_file_dialog.h"
#include "signed_in_user.h"
#include "reports_form.h"
#include "state_file.h"
#include "ui_admin_main_form.h"

namespace dalvero {

void TAdminMainForm::SetUpReports() {
    begDate_ = new cDateEdit(ui->ReportBegDateEdit, this);
    endDate_ = new cDateEdit(ui->ReportEndDateEdit, this);
    ChooseReportFile = [this](const std::string& defaultName) { return AskForSaveFile(this, defaultName); };
}

std::optional<DayRange> TAdminMainForm::ReportDays() {
    const std::optional<CivilDate> from = ParseYmd(begDate_->Value());
    const std::optional<CivilDate> to = ParseYmd(endDate_->Value());
    if (!from || !to) {
        ShowMessageBox(this, "Please enter the Beginning Date and the ending date", "Missing data");
        return std::nullopt;
    }
    if (*to < *from) {
        ShowMessageBox(this, "The ending date is before the Beginning Date", "Missing data");
        return std::nullopt;
    }
    return DayRange{*from, *to};
}

std::optional<std::vector<ReportRecordDataClass>> TAdminMainForm::StateRecords(const DayRange& days) {
    cancelled_ = false;
    QProgressBar& bar = *ui->StateFileProgressBar;
    bar.setValue(0);
    bar.show();
    ui->StateFileCancelButton->show();
    // Only Cancel works while the cases are read.
    const std::vector<QWidget*> idle{ui->MIRCalFileButton, ui->SpreadsheetButton, ui->LateDischargeGroup,
                                     ui->NFPlacementGroup, ui->ReportDateRangeGroup, ui->AdminPageControl->tabBar()};
    for (QWidget* control : idle) control->setEnabled(false);
    const auto records = QueryStateRecords(*session_.DataServer, user_.HospitalSeq, days,
                                           [this, &bar](std::size_t done, std::size_t total) {
                                               bar.setMaximum(static_cast<int>(total));
                                               bar.setValue(static_cast<int>(done));
                                               // Cancel is clicked while the cases are read.
                                               QCoreApplication::processEvents();
                                               return !cancelled_;
                                           });
    for (QWidget* control : idle) control->setEnabled(true);
    bar.hide();
    ui->StateFileCancelButton->hide();
    if (!records && !cancelled_)
        ShowMessageBox(this, "The discharged cases could not be read: " + session_.DataServer->ErrorText, "Error");
    return records;
}

std::string TAdminMainForm::SaveReport(const char* defaultName, const std::vector<std::string>& lines) {
    const std::string path = ChooseReportFile(defaultName);
    if (path.empty()) return {};
    if (!SaveReportLines(path, lines)) {
        ShowMessageBox(this, "Unable to write " + path, "Error");
        return {};
    }
    return path;
}

void TAdminMainForm::ShowReport(const std::vector<std::string>& lines) {
    TReportsForm report(lines, this);
    ExecDialog(report);
}

void TAdminMainForm::MIRCalFileButtonClick() {
    const auto days = ReportDays();
    if (!days) return;
    const auto records = StateRecords(*days);
    if (!records) return;
    const auto lines = StateFileLines(*records);
    if (!lines) {
        ShowMessageBox(this, kStateFileTooLarge, kStateFileTooLargeCaption);
        return;
    }
    if (SaveReport(kStateFileName, *lines).empty()) return;
    ShowReport(*lines);
}

void TAdminMainForm::SpreadsheetButtonClick() {
    const auto days = ReportDays();
    if (!days) return;
    const auto records = StateRecords(*days);
    if (!records) return;
    const std::string path = SaveReport(kStateSpreadsheetName, StateSpreadsheetLines(*records));
    if (!path.empty()) OpenDocument(path);
}

std::optional<std::vector<std::string>> TAdminMainForm::LateDischargeReportLines() {
    const auto days = ReportDays();
    if (!days) return std::nullopt;
    auto entries = QueryLateDischarges(*session_.DataServer, user_.HospitalSeq, *days);
    if (!entries) {
        ShowMessageBox(this, "The discharged cases could not be read: " + session_.DataServer->ErrorText, "Error");
        return std::nullopt;
    }
    return LateDischargeLines(std::move(*entries), ui->GroupByDrCheckBox->isChecked());
}

void TAdminMainForm::LateDischargeReportButtonClick() {
    const auto lines = LateDischargeReportLines();
    if (!lines || SaveReport(kLateDischargeFileName, *lines).empty()) return;
    ShowReport(*lines);
}

void TAdminMainForm::LateDischargeSpreadsheetButtonClick() {
    const auto lines = LateDischargeReportLines();
    if (!lines) return;
    const std::string path = SaveReport(kLateDischargeSpreadsheetName, *lines);
    if (!path.empty()) OpenDocument(path);
}

void TAdminMainForm::NFPrintReportButtonClick() {
    const std::string caseNumber = ui->NFCaseEdit->text().trimmed().toStdString();
    if (caseNumber.empty()) {
        ShowMessageBox(this, kMissingCaseNumber, "Missing data");
        return;
    }
    std::optional<DayRange> days;
    if (ui->NFDateRangeRadio->isChecked()) {
        days = ReportDays();
        if (!days) return;
    }
    const NFPlacementQuery found = QueryNFPlacement(*session_.DataServer, user_.HospitalSeq, caseNumber, days);
    switch (found.outcome) {
    case NFPlacementOutcome::NoCase:
        ShowMessageBox(this, "No case " + caseNumber + " in your hospital", "Notice");
        return;
    case NFPlacementOutcome::NoExtendedCareNeed:
        ShowMessageBox(this, "Case " + caseNumber + " has no nursing facility need: no call list", "Notice");
        return;
    case NFPlacementOutcome::Failed:
        ShowMessageBox(this, "Case " + caseNumber + " could not be read: " + session_.DataServer->ErrorText, "Error");
        return;
    case NFPlacementOutcome::Ready: break;
    }
    ShowPrintPreview(
        this, "NFPlacementPreview", "Call List for NF Placement", QPageLayout::Landscape,
        [&found](QPrinter& device) {
            cPainterPrint page(device);
            PrintNFPlacement(page, found.report);
        },
        [this, &found] {
            const std::string path = ChooseReportFile(kNFPlacementFileName);
            if (!path.empty() && !SaveReportBytes(path, NFPlacementPdf(found.report)))
                ShowMessageBox(this, "Unable to write " + path, "Error");
        });
}

}  // namespace dalvero
