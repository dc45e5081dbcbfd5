#pragma once
// The need dialog: adds or edits one need of the open case (category, date
// and time required, description, date delivered), deletes it, and lists the
// providers' quotes for it with their status changes and the award.
// Each edited control carries a change mark; Save writes only marked fields.

#include <QDialog>

#include <array>
#include <memory>
#include <string>

#include "dialog_seam.h"

class QListView;

namespace Ui {
class TDischargeItemDetailForm;
}

namespace dalvero {

class cListState;

struct CaseFieldSaves;
struct ClientSession;
struct ListSettings;
struct MainWindowState;
struct NeedInEdit;
struct OpenCase;
class cDateEdit;
class cDischargeScreens;
class cListHeader;
class cQuoteListModel;
class cQuoteRowDelegate;

class TDischargeItemDetailForm : public QDialog, public cKeepsUnsaved {
    Q_OBJECT
public:
    enum Mark { kCategoryMark, kDateMark, kTimeMark, kDescriptionMark, kDeliveredMark, kMarks };

    TDischargeItemDetailForm(MainWindowState& main, cDischargeScreens& screens, QWidget* parent);
    ~TDischargeItemDetailForm() override;

    // From the main window's current need record.
    void FillForEditing();
    // A new need for today and now; every field is marked to be written.
    void FillForAdding();
    void LoadQuotes();

    void CaseNeedSaveImageButtonClick();
    void CaseNeedDeleteImageButtonClick();
    // Closes, asking first when there are unsaved changes.
    void DischargeStatusImageButtonClick();
    void CaseNeedSelectionButtonClick();
    void NeedQuoteHeaderSectionClick(int section);
    // A click at pos in the quote list's viewport: its row becomes current;
    // on the row's "Change Status" the status dialog opens, on its circle
    // the award moves to or from the quote.
    void NeedQuoteListBoxMouseDown(const QPoint& pos);

    // Drops the change marks and hides the save button.
    void ForgetChanges();
    // The unattended logoff: an unsaved description goes to a recovery
    // file, offered back when the same need (or a new need of the same
    // case) is next opened.
    void KeepUnsaved() override;

    bool Marked(Mark mark) const { return marks_[mark]; }
    bool SaveShown() const;
    cQuoteListModel& Quotes() const { return *quotes_; }
    QListView* NeedQuoteListBox() const;
    cListHeader* NeedQuoteHeaderControl() const { return header_; }
    // Where row's "Change Status" button and "Awarded" circle are, in the viewport.
    QRect ChangeStatusRect(int row) const;
    QRect AwardedRect(int row) const;

protected:
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillCategories(const std::string& key, const std::string& selectSeq);
    void CategoryChosen();
    void SetMark(Mark mark);
    void ClearMarks();
    void ShowSave(bool shown);
    // The record a recovered description belongs to: the need, or for a
    // need being added, its case.
    std::string RecoverySeq() const;
    void OfferRecoveredDescription();
    // Closes; a close that did not follow an add or a delete refreshes the
    // need's status in the needs list.
    void CloseDialog(bool afterWrite);
    // Tab, Space and Enter on the quote list; false when the key is not its.
    bool NeedQuoteListBoxKey(const QKeyEvent& key);
    void ChangeQuoteStatus(int row);
    // Awards the need to an accepted quote, or takes the award back.
    void ToggleAward(int row);

    std::unique_ptr<Ui::TDischargeItemDetailForm> ui;
    ClientSession& session_;
    OpenCase& open_;
    ListSettings& lists_;
    NeedInEdit& need_;
    CaseFieldSaves& saves_;
    cDischargeScreens& screens_;
    cQuoteListModel* quotes_;
    cQuoteRowDelegate* quoteRows_ = nullptr;
    cListHeader* header_;
    cListState* quotesState_;
    cDateEdit* dateField_;
    cDateEdit* deliveredField_;
    std::array<bool, kMarks> marks_{};
    int rememberedCategory_ = -1;
    bool filling_ = false;
};

}  // namespace dalvero
