#include "case_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>

#include "control_events.h"
#include "field_saves.h"
#include "image_button.h"
#include "loaded_write.h"

namespace dalvero {

int cCaseDialog::FieldOf(const std::string& item) { return ToIntDef(item.substr(1, item.find('=') - 1), 0); }

StringList cCaseDialog::FieldsByNumber(const StringList& items) {
    StringList record;
    for (const std::string& item : items) {
        const auto field = static_cast<std::size_t>(FieldOf(item));
        if (field >= record.size()) record.items().resize(field + 1);
        record[field] = item.substr(item.find('=') + 1);
    }
    return record;
}

void cCaseDialog::KeepUnsaved() {
    for (const EditedRecord& record : EditedRecords())
        for (const std::string& item : ChangedItems(record.shown, record.now))
            KeepRecoveredText(record.table, record.seq, FieldOf(item), item.substr(item.find('=') + 1));
}

bool cCaseDialog::OfferKept(const std::vector<EditedRecord>& edited, std::vector<StringList>& records) {
    struct Kept {
        std::size_t record;
        int field;
        std::string text;
    };
    std::vector<Kept> kept;
    std::string texts;
    for (std::size_t r = 0; r < edited.size(); ++r)
        for (const std::string& item : edited[r].shown)
            if (auto text = TakeRecoveredText(edited[r].table, edited[r].seq, FieldOf(item))) {
                texts += "\n" + *text;
                kept.push_back({r, FieldOf(item), std::move(*text)});
            }
    if (kept.empty() ||
        ShowMessageBox(this, "Changes made here earlier could not be saved and were kept:\n" + texts +
                                 "\n\nPut them back?",
                       "Recovered Text", QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Question) != QMessageBox::Yes)
        return false;
    for (const Kept& k : kept) {
        StringList& record = records[k.record];
        const auto field = static_cast<std::size_t>(k.field);
        if (field >= record.size()) record.items().resize(field + 1);
        record[field] = k.text;
    }
    return true;
}

void cCaseDialog::ShowLoaded(std::vector<StringList> records,
                             const std::function<void(const std::vector<StringList>&)>& show,
                             const std::function<void()>& remember) {
    show(records);
    remember();
    if (OfferKept(EditedRecords(), records)) show(records);
}

void cCaseDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        DefaultAction();
        return;
    }
    QDialog::keyPressEvent(event);
}

void cCaseDialog::BindButton(QLabel* image, std::function<void()> action) {
    connect(cImageButton::Painted(image, ImageButtonArt::Shape::Button), &cImageButton::clicked, this,
            std::move(action));
}

void cCaseDialog::BindSaveButton(QLabel* image, const std::function<void()>& save) {
    BindButton(image, save);
    connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_S), this), &QShortcut::activated, this, save);
    image->setToolTip("Save (Alt+S)");
}

void cCaseDialog::FocusNextField() {
    if (QWidget* focused = focusWidget()) MoveFocusToNext(focused);
}

}  // namespace dalvero
