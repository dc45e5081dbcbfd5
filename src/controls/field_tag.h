#pragma once
// A bound control carries its field number in its tag (the dynamic property
// "tag"); bit 4096 of the tag marks the field changed since it was loaded.

class QWidget;

namespace dalvero {

inline constexpr int FieldChangedFlag = 4096;

int FieldTag(const QWidget* control);  // 0 when the control has no tag
void SetFieldTag(QWidget* control, int tag);
// The field number: the tag without the changed flag.
int TaggedFieldNumber(const QWidget* control);
bool IsFieldChanged(const QWidget* control);
void SetFieldChanged(QWidget* control, bool changed);

}  // namespace dalvero
