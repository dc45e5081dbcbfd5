#pragma once
// Long texts in lists and labels: shortened to the room they have with "…"
// at a word break, so no word is shown cut, and shown whole in a label's tool
// tip.

#include <Qt>

class QFontMetrics;
class QLabel;
class QPainter;
class QRect;
class QString;

namespace dalvero {

// text as it is when it fits width pixels, else the longest run of whole
// words that fits with "…" after it; a first word too long on its own is cut
// after as many letters as fit.
QString ElideWords(const QString& text, const QFontMetrics& metrics, int width);

// One line of text drawn in rect, elided to its width (ElideWords).
void DrawElided(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text);

// The label shows text elided to whatever width its layout gives it, again
// after every resize, and the whole text as its tool tip when it had to be
// shortened. The label's width no longer follows its text.
void ShowElided(QLabel* label, const QString& text);
// All of the text the label was last given, however much of it shows.
QString WholeText(const QLabel& label);

}  // namespace dalvero
