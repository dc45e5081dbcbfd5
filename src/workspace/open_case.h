#pragma once
// The case and patient open on the case screens, and the closed case the
// previous-case screen shows.

#include <string>
#include <utility>
#include <vector>

#include "string_list.h"

class QWidget;

namespace dalvero {

class cCaseObject;

struct OpenCase {
    // 0 no case open, 1 a case open for editing.
    int EditMode = 0;
    std::string CurrentCaseSeq;
    std::string CurrentPatientSeq;
    std::string CurrentCaseNumber;
    // The open-list row of the case opened from it; owned by that list.
    const cCaseObject* CurrentCaseObject = nullptr;
    std::string PreviousCaseSeq;
    std::string PreviousPatientSeq;
    // The open patient's Patients record, item n being field n.
    StringList PatientRecord;
    // The open case's fields as the case screen read them, name=value ("f22",
    // the patient's through the alias P: "P10").
    StringList CaseFieldValues;
    // Field number -> bound control of the case edit screen, in binding order.
    std::vector<std::pair<std::string, QWidget*>> CaseEditControls;
};

}  // namespace dalvero
