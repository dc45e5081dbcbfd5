#include "case_screens.h"

#include "add_case_form.h"
#include "case_edit_form.h"
#include "case_history_form.h"
#include "case_list_editors.h"
#include "code_lookup_form.h"
#include "lookup_form.h"
#include "previous_case_edit_form.h"
#include "case_list_form.h"
#include "case_list_navigation_form.h"
#include "case_list_prev_form.h"
#include "case_navigation_form.h"
#include "health_detail_forms.h"
#include "main_window_state.h"
#include "patient_editors.h"

namespace dalvero {

// In the order the main window initialises its hosted screens.
cCaseScreens::cCaseScreens(MainWindowState& main)
    : CaseEdit(std::make_unique<TCaseEditForm>(main, *this)),
      CaseNavigation(std::make_unique<TCaseNavigationForm>(main, *this)),
      CaseList(std::make_unique<TCaseListForm>(main, *this)),
      CaseListPrev(std::make_unique<TCaseListPrevForm>(main, *this)),
      ListNavigation(std::make_unique<TCaseListNavigationForm>(main)),
      CaseHistory(std::make_unique<TCaseHistoryForm>(main.Session, main.Lists, main.Actions)),
      AddCase(std::make_unique<TAddCaseForm>(main)),
      PatientIdentificationEdit(std::make_unique<TPatientIdentificationEditForm>(main)),
      PatientAdmission(std::make_unique<TPatientAdmissionForm>(main)),
      PatientInfoEdit(std::make_unique<TPatientInfoEditForm>(main)),
      PatientEditDischarge(std::make_unique<TPatientEditDischargeForm>(main)),
      PatientHealthDetail(std::make_unique<TPatientHealthDetailForm>(main)),
      PatientHealthDetailNoEdit(std::make_unique<TPatientHealthDetailNoEditForm>(main)),
      Lookup(std::make_unique<TLookupForm>()),
      CodeLookup(std::make_unique<TCodeLookupForm>()),
      PhysicianList(std::make_unique<TCasePhysicianListForm>(main, *Lookup)),
      FamilyList(std::make_unique<TCaseFamilyListForm>(main)),
      CodesList(std::make_unique<TCaseCodesListForm>(main, *CodeLookup)),
      PreviousCaseEdit(std::make_unique<TPreviousCaseEditForm>(main, *PatientHealthDetailNoEdit)) {
    main.Saves.PendingSaves.push_back([this] { PatientHealthDetail->SavePending(); });
}

cCaseScreens::~cCaseScreens() = default;

}  // namespace dalvero
