#pragma once
// The most a typed text may hold, in UTF-8 bytes, so that it always fits one
// request and the server's own caps: longer text typed or pasted is cut at a
// character boundary and the user told ("Note too long").

class QPlainTextEdit;
class QTableWidget;

namespace dalvero {

// Watches the memo's text.
void LimitNoteLength(QPlainTextEdit* memo, int maxBytes);
// Watches every cell of the grid.
void LimitCellLength(QTableWidget* grid, int maxBytes);

}  // namespace dalvero
