#pragma once
// The editors of an open case's physicians, family contacts and codes,
// opened from the case screen's lists.

#include <memory>
#include <string>

#include "icd_code_text.h"
#include "sub_list_editor.h"

namespace Ui {
class TCasePhysicianListForm;
class TCaseFamilyListForm;
class TCaseCodesListForm;
}  // namespace Ui

namespace dalvero {

class cPhoneEdit;
class TCodeLookupForm;
class TLookupForm;

class TCasePhysicianListForm : public cSubListEditor {
    Q_OBJECT
public:
    TCasePhysicianListForm(MainWindowState& main, TLookupForm& lookup, QWidget* parent = nullptr);
    ~TCasePhysicianListForm() override;

    void AddButtonClick();
    void SaveButtonClick();
    void RemoveButtonClick();

protected:
    void Prepare() override;
    void ShowRow(const ListBoxItemClass& item) override;
    StringList PanelValues() const override;
    const QWidget* EditPanel() const override;
    void DefaultAction() override;

private:
    std::unique_ptr<Ui::TCasePhysicianListForm> ui;
    TLookupForm& lookup_;
};

class TCaseFamilyListForm : public cSubListEditor {
    Q_OBJECT
public:
    explicit TCaseFamilyListForm(MainWindowState& main, QWidget* parent = nullptr);
    ~TCaseFamilyListForm() override;

    void AddFamilyButtonClick();
    void SaveButtonClick();
    void DeleteButtonClick();

protected:
    void Prepare() override;
    void ShowRow(const ListBoxItemClass& item) override;
    StringList PanelValues() const override;
    const QWidget* EditPanel() const override;
    void DefaultAction() override;
    // A contact being added is kept under the case and "new contact".
    std::vector<EditedRecord> EditedRecords() const override;
    void OfferKeptNewRow() override;

private:
    // Fills the edit panel from a contact's fields and opens it.
    void FillPanel(const ListBoxItemClass& item);
    // The name of the kept typing of a contact not yet added.
    std::string NewContactSeq() const { return "newcontact" + CaseSeq(); }

    std::unique_ptr<Ui::TCaseFamilyListForm> ui;
    cPhoneEdit* phone_;
    cPhoneEdit* phone2_;
    // PanelValues of the emptied panel.
    StringList emptyPanel_;
};

// What the case screen sets on the codes editor for one of its code lists.
struct CodeListSettings {
    std::string LookupCaption;
    std::string Heading;
    std::string CodeTable;
    std::string Command;
    IcdBook Book = IcdBook::Diagnoses;
};

class TCaseCodesListForm : public cSubListEditor {
    Q_OBJECT
public:
    TCaseCodesListForm(MainWindowState& main, TCodeLookupForm& lookup, QWidget* parent = nullptr);
    ~TCaseCodesListForm() override;

    // Diagnoses or treatments.
    void SetList(CaseSubList which);
    void AddButtonClick();
    void SaveButtonClick();
    void RemoveButtonClick();

protected:
    void Prepare() override;
    void ShowRow(const ListBoxItemClass& item) override;
    StringList PanelValues() const override;
    const QWidget* EditPanel() const override;
    void DefaultAction() override;

private:
    std::unique_ptr<Ui::TCaseCodesListForm> ui;
    MainWindowState& main_;
    TCodeLookupForm& lookup_;
    CodeListSettings settings_;
};

}  // namespace dalvero
