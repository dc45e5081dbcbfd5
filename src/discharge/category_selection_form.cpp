#include "category_selection_form.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "category_groups.h"
#include "dialog_seam.h"
#include "entry_group_keys.h"
#include "provider_categories.h"
#include "record_batch.h"
#include "record_ops.h"
#include "table_catalogue.h"
#include "ui_category_selection_form.h"

namespace dalvero {
namespace {
namespace cat = catalogue;
constexpr int kMostLinks = 10000;
}  // namespace

TCategorySelectionForm::TCategorySelectionForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCategorySelectionForm>()) {
    ui->setupUi(this);
    auto groups = BuildCategoryGroups(ui->CategoryArea, false, [this](const ProviderCategory& c, QWidget* holder) {
        // "&" would mark a shortcut key in a check box's text.
        const QString caption = QString::fromUtf8(c.caption.data(), static_cast<int>(c.caption.size()));
        auto* box = new QCheckBox(QString(caption).replace("&", "&&"), holder);
        cCheckBoxItem& item = items_[c.seq];
        item.seq = c.seq;
        item.boxes.push_back(box);
        connect(box, &QCheckBox::toggled, this, [this, seq = c.seq](bool on) { BoxToggled(seq, on); });
        return box;
    });
    keys_ = cEntryGroupKeys::Install(this, std::move(groups));
    connect(ui->SaveButton, &QPushButton::clicked, this, &TCategorySelectionForm::SaveButtonClick);
    ui->XLabel->setCursor(Qt::PointingHandCursor);
    ui->XLabel->installEventFilter(this);
}

TCategorySelectionForm::~TCategorySelectionForm() = default;

QCheckBox* TCategorySelectionForm::Box(const QString& control) const {
    return ui->CategoryArea->findChild<QCheckBox*>(control);
}

void TCategorySelectionForm::showEvent(QShowEvent* event) {
    LoadLinks();
    QDialog::showEvent(event);
    keys_->FocusFirstGroup();
}

void TCategorySelectionForm::BoxToggled(int seq, bool ticked) {
    for (QCheckBox* box : items_[seq].boxes) {
        const QSignalBlocker quiet(box);
        box->setChecked(ticked);
    }
}

void TCategorySelectionForm::LoadLinks() {
    for (auto& [seq, item] : items_) {
        item.linkSeq.clear();
        item.wasTicked = false;
        BoxToggled(seq, false);
    }
    cRecordBatch batch;
    if (!Connection || !batch.Query(Connection, cat::tbl::kProviderCategoryLink, cat::kListByOwner, ProviderSeq, "", 0,
                                    kMostLinks, "f11", "", "", "F")) {
        ShowMessageBox(this, "The provider's categories could not be loaded.", "Error");
        return;
    }
    cBatchSet& set = *batch.Set;
    if (set.First()) {
        do {
            const auto found = items_.find(ToIntDef(set.ReadField(cat::category_link::kCategory), 0));
            if (found == items_.end()) continue;
            found->second.linkSeq = set.Seq;
            BoxToggled(found->first, true);
        } while (set.Next());
    }
    for (auto& [seq, item] : items_) item.wasTicked = item.boxes.front()->isChecked();
}

void TCategorySelectionForm::SaveButtonClick() {
    bool all = true;
    for (auto& [seq, item] : items_) {
        const bool ticked = item.boxes.front()->isChecked();
        if (ticked == item.wasTicked || !Connection) continue;
        // Each write that went through is remembered, so a second Save
        // neither adds a link twice nor misses one.
        if (ticked) {
            item.linkSeq = AddRecord(*Connection, cat::tbl::kProviderCategoryLink,
                                     {"f10=" + ProviderSeq, "f11=" + std::to_string(seq), "f13=", "f14="});
            item.wasTicked = !item.linkSeq.empty();
        } else if (item.linkSeq.empty() || DeleteRecord(*Connection, cat::tbl::kProviderCategoryLink, item.linkSeq)) {
            item.linkSeq.clear();
            item.wasTicked = false;
        }
        all = all && ticked == item.wasTicked;
    }
    if (!all) {
        ShowMessageBox(this,
                       "Some of the provider's categories could not be saved; the window stays open to try again.",
                       "Error");
        return;
    }
    accept();
}

bool TCategorySelectionForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->XLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace dalvero
