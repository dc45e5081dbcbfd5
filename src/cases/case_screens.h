#pragma once
// The single instance of each case screen. The screens reach one another
// through it and share state through the main window.

#include <memory>

namespace dalvero {

struct MainWindowState;
class TAddCaseForm;
class TCaseCodesListForm;
class TCaseFamilyListForm;
class TCaseHistoryForm;
class TCasePhysicianListForm;
class TCodeLookupForm;
class TLookupForm;
class TPreviousCaseEditForm;
class TCaseEditForm;
class TCaseListForm;
class TCaseListNavigationForm;
class TCaseListPrevForm;
class TCaseNavigationForm;
class TPatientAdmissionForm;
class TPatientEditDischargeForm;
class TPatientHealthDetailForm;
class TPatientHealthDetailNoEditForm;
class TPatientIdentificationEditForm;
class TPatientInfoEditForm;

class cCaseScreens {
public:
    explicit cCaseScreens(MainWindowState& main);
    ~cCaseScreens();
    cCaseScreens(const cCaseScreens&) = delete;
    cCaseScreens& operator=(const cCaseScreens&) = delete;

    std::unique_ptr<TCaseEditForm> CaseEdit;
    std::unique_ptr<TCaseNavigationForm> CaseNavigation;
    std::unique_ptr<TCaseListForm> CaseList;
    std::unique_ptr<TCaseListPrevForm> CaseListPrev;
    std::unique_ptr<TCaseListNavigationForm> ListNavigation;
    std::unique_ptr<TCaseHistoryForm> CaseHistory;
    // The modal windows of the case screens.
    std::unique_ptr<TAddCaseForm> AddCase;
    std::unique_ptr<TPatientIdentificationEditForm> PatientIdentificationEdit;
    std::unique_ptr<TPatientAdmissionForm> PatientAdmission;
    std::unique_ptr<TPatientInfoEditForm> PatientInfoEdit;
    std::unique_ptr<TPatientEditDischargeForm> PatientEditDischarge;
    std::unique_ptr<TPatientHealthDetailForm> PatientHealthDetail;
    std::unique_ptr<TPatientHealthDetailNoEditForm> PatientHealthDetailNoEdit;
    std::unique_ptr<TLookupForm> Lookup;
    std::unique_ptr<TCodeLookupForm> CodeLookup;
    std::unique_ptr<TCasePhysicianListForm> PhysicianList;
    std::unique_ptr<TCaseFamilyListForm> FamilyList;
    std::unique_ptr<TCaseCodesListForm> CodesList;
    std::unique_ptr<TPreviousCaseEditForm> PreviousCaseEdit;
};

}  // namespace dalvero
