#pragma once
// The text of a bound control as the data layer sees it (UTF-8, line breaks
// as CR LF): line edits, labels, memos (plain or rich text edits) and, for
// reading, drop-downs.

#include <string>
#include <string_view>

class QWidget;

namespace dalvero {

std::string ControlText(const QWidget* control);
void SetControlText(QWidget* control, std::string_view text);

}  // namespace dalvero
