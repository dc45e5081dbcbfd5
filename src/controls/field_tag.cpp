#include "field_tag.h"

#include <QVariant>
#include <QWidget>

namespace dalvero {

namespace {
constexpr char kTagProperty[] = "tag";
}

int FieldTag(const QWidget* control) { return control->property(kTagProperty).toInt(); }

void SetFieldTag(QWidget* control, int tag) { control->setProperty(kTagProperty, tag); }

int TaggedFieldNumber(const QWidget* control) { return FieldTag(control) % FieldChangedFlag; }

bool IsFieldChanged(const QWidget* control) { return (FieldTag(control) & FieldChangedFlag) != 0; }

void SetFieldChanged(QWidget* control, bool changed) {
    const int tag = FieldTag(control);
    SetFieldTag(control, changed ? (tag | FieldChangedFlag) : (tag & ~FieldChangedFlag));
}

}  // namespace dalvero
