#include "case_need_selection_form.h"

#include <QLabel>
#include <QMouseEvent>

#include "category_groups.h"
#include "entry_group_keys.h"
#include "provider_categories.h"
#include "ui_case_need_selection_form.h"

namespace dalvero {
namespace {
// Pointing at an entry or at "X", or the keys' current entry, shows it in bold.
constexpr char kHoverBold[] = "QLabel:hover, QLabel:focus { font-weight: bold; }";
}  // namespace

TCaseNeedSelectionForm::TCaseNeedSelectionForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCaseNeedSelectionForm>()) {
    ui->setupUi(this);
    // Only the entries and "X": the title keeps the application's look.
    ui->CategoryArea->setStyleSheet(kHoverBold);
    ui->XLabel->setStyleSheet(kHoverBold);
    auto groups = BuildCategoryGroups(ui->CategoryArea, true, [this](const ProviderCategory& c, QWidget* holder) {
        auto* entry = new QLabel(QString::fromUtf8(c.caption.data(), static_cast<int>(c.caption.size())), holder);
        entry->setCursor(Qt::PointingHandCursor);
        entry->installEventFilter(this);
        return entry;
    });
    keys_ = cEntryGroupKeys::Install(this, std::move(groups),
                                     [this](QWidget* entry) { EntryClick(entry->objectName()); });
    ui->XLabel->setCursor(Qt::PointingHandCursor);
    ui->XLabel->installEventFilter(this);
}

TCaseNeedSelectionForm::~TCaseNeedSelectionForm() = default;

void TCaseNeedSelectionForm::showEvent(QShowEvent* event) {
    result_.clear();
    QDialog::showEvent(event);
    keys_->FocusFirstGroup();
}

void TCaseNeedSelectionForm::EntryClick(const QString& control) {
    const int seq = CategorySeqOfControl(control.toStdString());
    result_ = seq > 0 ? std::to_string(seq) : std::string();
    accept();
}

bool TCaseNeedSelectionForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->XLabel) {
            result_.clear();
            reject();
        } else {
            EntryClick(watched->objectName());
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace dalvero
