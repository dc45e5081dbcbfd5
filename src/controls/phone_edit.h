#pragma once
// A plain line edit made into the phone field: only digits are kept (letters
// typed become their keypad digits) and the number is shown formatted while
// it is typed, pasted or deleted.

#include "digit_edit.h"

namespace dalvero {

class cPhoneEdit : public cDigitEdit {
    Q_OBJECT
public:
    // The wrapper belongs to the field.
    explicit cPhoneEdit(QLineEdit* edit);
};

}  // namespace dalvero
