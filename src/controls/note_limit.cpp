#include "note_limit.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTableWidget>

#include <string>

#include "dialog_seam.h"

namespace dalvero {

namespace {

// Cuts text to maxBytes, dropping whole characters; false when it fitted.
bool CutToBytes(QString& text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes) return false;
    text = text.left(maxBytes);
    while (text.toUtf8().size() > maxBytes) text.chop(1);
    return true;
}

void TellCut(QWidget* parent, int maxBytes) {
    ShowMessageBox(parent,
                   "This note can hold " + std::to_string(maxBytes) +
                       " characters at most; the text past that was not kept.",
                   "Note too long");
}

}  // namespace

void LimitNoteLength(QPlainTextEdit* memo, int maxBytes) {
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxBytes] {
        QString text = memo->toPlainText();
        if (!CutToBytes(text, maxBytes)) return;
        const QSignalBlocker quiet(memo);
        memo->setPlainText(text);
        memo->moveCursor(QTextCursor::End);
        memo->document()->setModified(true);
        TellCut(memo->window(), maxBytes);
    });
}

void LimitCellLength(QTableWidget* grid, int maxBytes) {
    // Before the grid's other handlers see the change: they get the cut text.
    QObject::connect(grid, &QTableWidget::itemChanged, grid, [grid, maxBytes](QTableWidgetItem* item) {
        QString text = item->text();
        if (!CutToBytes(text, maxBytes)) return;
        item->setText(text);
        TellCut(grid->window(), maxBytes);
    });
}

}  // namespace dalvero
