#include "choice_box.h"

#include <QComboBox>

namespace dalvero {

namespace {
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
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
    box->setCurrentIndex(value.empty() ? -1 : box->findText(Q(value), Qt::MatchExactly));
}

void ChooseValue(QComboBox* box, std::string_view value) {
    box->setCurrentIndex(value.empty() ? -1 : box->findData(Q(value)));
}

std::string ChosenText(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentText().toStdString();
}

std::string ChosenValue(const QComboBox* box) {
    return box->currentIndex() < 0 ? std::string() : box->currentData().toString().toStdString();
}

}  // namespace dalvero
