#pragma once
// The state that the working screens share, in parts by concern, and the
// main window's operations. A screen keeps references to the parts it uses
// only; the main window owns them all, and tests compose them around a
// fake of the operations.

#include "case_field_saves.h"
#include "client_session.h"
#include "list_settings.h"
#include "need_in_edit.h"
#include "open_case.h"
#include "signed_in_user.h"
#include "workspace_actions.h"

namespace dalvero {

struct MainWindowState {
    MainWindowState(ClientSession& session, cWorkspaceActions& actions) : Session(session), Actions(actions) {}
    MainWindowState(const MainWindowState&) = delete;
    MainWindowState& operator=(const MainWindowState&) = delete;

    ClientSession& Session;
    cWorkspaceActions& Actions;
    SignedInUser User;
    OpenCase Case;
    ListSettings Lists;
    NeedInEdit Need;
    CaseFieldSaves Saves;
};

}  // namespace dalvero
