#include "phone_edit.h"

#include "phone_entry_rules.h"

namespace dalvero {

cPhoneEdit::cPhoneEdit(QLineEdit* edit) : cDigitEdit(edit, kPhoneFormat, true) {}

}  // namespace dalvero
