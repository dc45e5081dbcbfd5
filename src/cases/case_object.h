#pragma once
// Rows of the case lists (cCaseObject) and of an open case's physician,
// family and code lists (ListBoxItemClass).

#include <string>
#include <string_view>

#include "string_list.h"

namespace dalvero {

class cBatchSet;

class cCaseObject {
public:
    // The current record of a Cases query joined with its patient (P) and case
    // worker (cm). Fields the query did not ask for stay empty; the approval
    // flags are read only when withApproval is set.
    static cCaseObject FromRecord(cBatchSet& set, bool withApproval);

    std::string CaseNumber;
    std::string Seq;
    std::string PatientSeq;
    std::string FirstName;
    std::string MiddleName;
    std::string LastName;
    std::string Room;
    std::string Bed;
    std::string AdmitDate;
    std::string DischargeDate;
    std::string BirthDate;
    std::string Sex;
    std::string PrimaryInsurance;
    std::string SecondaryInsurance;
    std::string ThirdInsurance;
    bool ApprovalRequested = false;
    bool Approved = false;
    std::string Status;  // from the FunctionServer, open list only
    std::string CaseWorkerSeq;
    std::string CaseWorkerName;
};

class ListBoxItemClass {
public:
    // Unlike a name=value list, an empty value keeps its "name=" line.
    void SetValue(std::string_view name, std::string_view value);
    // "~~~" (an explicitly emptied field) reads as empty.
    std::string GetValue(std::string_view name) const;

    std::string Seq;
    StringList Values;
};

}  // namespace dalvero
