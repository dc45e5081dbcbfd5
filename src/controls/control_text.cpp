#include "control_text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace dalvero {

namespace {
// Memos hold "\n"; records hold CR LF.
std::string FromMemo(const QString& text) {
    QString wire = text;
    wire.replace(u'\n', QStringLiteral("\r\n"));
    return wire.toStdString();
}

QString ToMemo(std::string_view text) {
    QString memo = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    memo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return memo;
}
}  // namespace

std::string ControlText(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text().toStdString();
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text().toStdString();
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(control)) return FromMemo(memo->toPlainText());
    if (auto* memo = qobject_cast<const QTextEdit*>(control)) return FromMemo(memo->toPlainText());
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText().toStdString();
    return {};
}

void SetControlText(QWidget* control, std::string_view text) {
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(qtext);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(qtext);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
        memo->setPlainText(ToMemo(text));
    else if (auto* memo = qobject_cast<QTextEdit*>(control))
        memo->setPlainText(ToMemo(text));
}

}  // namespace dalvero
