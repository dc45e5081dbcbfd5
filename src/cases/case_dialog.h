#pragma once
// The modal editors of the case screens: Enter does the editor's default
// action (saving, or in editors filled field by field the move to the next
// field), Escape cancels, and the image buttons act on a click. At the
// unattended logoff an editor's unsaved changes go to recovery files of their
// records' fields, offered back when the editor next loads those records.

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "dialog_seam.h"
#include "string_list.h"

class QLabel;

namespace dalvero {

class cCaseDialog : public QDialog, public cKeepsUnsaved {
    Q_OBJECT
public:
    using QDialog::QDialog;

    // One record an editor changes: what the editor showed of it when
    // loaded and what it holds now, as "fN=value" items.
    struct EditedRecord {
        std::string table;
        std::string seq;
        StringList shown;
        StringList now;
    };

    void KeepUnsaved() override;

protected:
    // The field number of an "fN=value" item.
    static int FieldOf(const std::string& item);
    // "fN=value" items as a record read would hold them: item n is field n.
    static StringList FieldsByNumber(const StringList& items);
    // None for an editor of no stored record yet.
    virtual std::vector<EditedRecord> EditedRecords() const { return {}; }
    // After a load: the changes kept at an earlier logoff for the fields of
    // edited are offered back in one question; true when the user took
    // them, each then laid over records[i] (edited[i]'s record as read, item
    // n field n).
    bool OfferKept(const std::vector<EditedRecord>& edited, std::vector<StringList>& records);
    // The end of a load: show fills the controls from the records as read
    // (in the order of EditedRecords), remember takes what the editor shows
    // as loaded, and kept changes taken back are shown over them.
    void ShowLoaded(std::vector<StringList> records, const std::function<void(const std::vector<StringList>&)>& show,
                    const std::function<void()>& remember);

    // What Enter does.
    virtual void DefaultAction() = 0;
    void keyPressEvent(QKeyEvent* event) override;
    // Paints the image button and runs action on its click.
    void BindButton(QLabel* image, std::function<void()> action);
    // The save button of an editor where Enter moves on: a click or Alt+S.
    void BindSaveButton(QLabel* image, const std::function<void()>& save);
    // A default action that moves the focus to the next field.
    void FocusNextField();
};

}  // namespace dalvero
