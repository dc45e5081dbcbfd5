#pragma once
// A provider's name, address, phones and NPI in one form, two ways: adding a
// new ProviderEntities record (TAddNewProviderForm) and showing and changing
// an existing one (TViewProviderForm, which also opens the provider's
// categories from "What We Do").

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

#include "string_list.h"

namespace Ui {
class TProviderEditForm;
}

namespace dalvero {

class cPhoneEdit;
class dbServerConnection;

class cProviderEditDialog : public QDialog {
    Q_OBJECT
public:
    ~cProviderEditDialog() override;

protected:
    cProviderEditDialog(dbServerConnection& db, const char* title, const char* saveCaption, QWidget* parent);
    // The nine fields as the edits hold them, "fN=value" each.
    StringList Values() const;
    void Fill(const StringList& record);

    std::unique_ptr<Ui::TProviderEditForm> ui;
    dbServerConnection& db_;
    cPhoneEdit* phone_;
    cPhoneEdit* phone2_;
    cPhoneEdit* fax_;
};

class TAddNewProviderForm : public cProviderEditDialog {
    Q_OBJECT
public:
    TAddNewProviderForm(dbServerConnection& db, QWidget* parent);
    // Adds the provider; accepted when the server took it.
    void SaveButtonClick();
};

class TViewProviderForm : public cProviderEditDialog {
    Q_OBJECT
public:
    TViewProviderForm(dbServerConnection& db, std::string providerSeq,
                      std::function<void(const std::string&, QWidget*)> categories, QWidget* parent);
    void UpdateButtonClick();

private:
    std::string seq_;
    // The shown fields as read ("fN=value").
    StringList loaded_;
};

}  // namespace dalvero
