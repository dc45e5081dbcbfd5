#pragma once
// The case need open in the need dialog, shared by the needs list that opens
// it, the dialog and the quote status window.

#include <string>

#include "string_list.h"

namespace dalvero {

struct NeedInEdit {
    static constexpr int kEditingNeed = 1;
    static constexpr int kAddingNeed = 2;

    std::string CurrentNeedSeq;
    // The need's record as name=value items.
    StringList CurrentNeedRecord;
    // kEditingNeed, kAddingNeed, or 0 while no dialog is open.
    int NeedDialogMode = 0;
    // The need's awarded quote (its f16), empty for none.
    std::string AwardedQuote;
};

}  // namespace dalvero
