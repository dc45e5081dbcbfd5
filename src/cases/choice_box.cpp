#include "choice_box.h"

#include <QComboBox>

namespace dalvero {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Marks the entry that shows a stored value the list does not have.
constexpr int kStoredOnlyRole = Qt::UserRole + 1;

// Chooses the entry at index; a stored value no entry has gets an entry of
// its own, shown as stored, so that it is seen and saved back unchanged. The
// entry of an earlier choice goes.
void Choose(QComboBox* box, int index, std::string_view value) {
    for (int i = box->count() - 1; i >= 0; --i)
        if (box->itemData(i, kStoredOnlyRole).toBool()) box->removeItem(i);
    if (index < 0 && !value.empty()) {
        box->addItem(Q(value), Q(value));
        index = box->count() - 1;
        box->setItemData(index, true, kStoredOnlyRole);
    }
    box->setCurrentIndex(index);
}
}  // namespace

void FillChoices(QComboBox* box, const std::vector<const char*>& choices) {
    box->clear();
    for (const char* choice : choices) box->addItem(choice, QString(choice));
    box->setCurrentIndex(-1);
}

void FillLanguages(QComboBox* box, const std::vector<Language>& languages) {
    box->clear();
    for (const Language& l : languages) box->addItem(l.name, QString(l.code));
    box->setCurrentIndex(-1);
}

void FillSeqChoices(QComboBox* box, const std::vector<std::pair<std::string, int>>& entries) {
    box->clear();
    for (const auto& [text, seq] : entries) box->addItem(Q(text), QString::number(seq));
    box->setCurrentIndex(-1);
}

void ChooseText(QComboBox* box, std::string_view value) {
    Choose(box, value.empty() ? -1 : box->findText(Q(value), Qt::MatchExactly), value);
}

void ChooseValue(QComboBox* box, std::string_view value) {
    Choose(box, value.empty() ? -1 : box->findData(Q(value)), value);
}

std::string ChosenText(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentText().toStdString();
}

std::string ChosenValue(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentData().toString().toStdString();
}

}  // namespace dalvero
