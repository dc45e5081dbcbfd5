#pragma once
// Binds the controls of one screen to the fields of one record. A screen
// declares which field each control shows and how; the binding loads the
// record, colours empty mandatory fields, writes each changed field on its
// own when its control is left (edit mode) through the field saves (a
// failure is said and retried, a colleague's change since loading is shown
// beside the user's), collects a new record and adds it
// with one button (add mode) and turns that button into a delete button while
// a record is edited.
//
// Bound names are "f" and a field number ("f13"), or a join's alias and a
// field number of the joined table ("cm11"), which is shown and never written
// (the joins come from SetAliasList). Flag text is a comma list: "M"
// mandatory, "A" only when adding, "E" only when editing (neither: both),
// "DATE", "TIME", "DATETIME" the value type, which labels show formatted;
// "PHONE" a phone number, stored as its digits and shown formatted.

#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "field_saves.h"
#include "string_list.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTextEdit;
class QWidget;

namespace dalvero {

class cEditObjects;
class dbServerConnection;

class cEditObject {
public:
    enum Kind { EditBox = 1, Label = 2, Memo = 3, DropDown = 5, CheckBox = 6 };

    // The object bound to `control`, or none.
    static cEditObject* Of(const QWidget* control);

    std::string Name() const { return Prefix + FieldNumber; }
    // Changed since loaded: bit 4096 of the control's tag.
    bool Changed() const;
    void SetChanged(bool changed);

    std::string FieldNumber;  // "13" of "f13"
    std::string Prefix;       // "f", or a join's alias
    std::string Value;        // collected in add mode, or as loaded
    std::string LookupSource;   // drop-downs: "table,index,field"
    cEditObjects* Owner = nullptr;
    bool AllowedWhenAdding = true;
    bool AllowedWhenEditing = true;
    bool Mandatory = false;
    // Set by the chained exit handler to stop this exit's write.
    bool Cancel = false;
    Kind ObjectKind = EditBox;
    QPointer<QWidget> Control;
    char ValueType = 0;  // 'D' date, 'T' time, 'E' date and time, 'P' phone (stored as digits)
    // The control's exit handler from before the binding; runs first on exit.
    std::function<void()> ChainedExit;
    // Called after the user changed the control.
    std::function<void(cEditObject&)> ChangedHandler;
};

class cEditObjects : public QObject {
    Q_OBJECT
public:
    enum Mode { Idle = 0, Editing = 1, Adding = 2 };

    // `form` is the screen whose first edit box takes the focus in add mode
    // and which parents the delete question; the binding belongs to it.
    cEditObjects(dbServerConnection& connection, std::string table, QWidget* form);
    ~cEditObjects() override;

    // Each returns the new object, or none for a name shorter than 2.
    cEditObject* AddEdit(QLineEdit* control, std::string_view name, std::string_view flags = {});
    cEditObject* AddLabel(QLabel* control, std::string_view name, std::string_view flags = {});
    cEditObject* AddMemo(QPlainTextEdit* control, std::string_view name, std::string_view flags = {});
    cEditObject* AddMemo(QTextEdit* control, std::string_view name, std::string_view flags = {});
    // Items come from the lookup table, each carrying its record's Seq.
    cEditObject* AddLookup(QComboBox* control, std::string_view name, std::string_view lookupSource,
                           std::string_view flags = {});
    // Checked stores "Y", unchecked an empty value.
    cEditObject* AddCheck(QCheckBox* control, std::string_view name, std::string_view flags = {});

    // The add button in add mode and the delete button in edit mode; hidden
    // until a mode is chosen. `ownClick` runs after the binding's own work on
    // every click.
    void SetSaveButton(QAbstractButton* button, std::string addCaption, std::string editCaption,
                       std::function<void()> ownClick = {});
    // Joins for bound names with an alias, "cm=Personnel:f23,...".
    void SetAliasList(std::string aliasList);
    void SetAddedHandler(std::function<void()> handler);
    // After each single-field write and after a delete.
    void SetSavedHandler(std::function<void()> handler);
    // Shows names beginning with "*", which are no fields of the record; it
    // gets the record's fields as read (name=value items).
    void SetCustomDisplayHandler(std::function<void(cEditObject&, const StringList& fields)> handler);

    // Edit mode on record `seq`. False when it cannot be read: then nothing
    // changes, neither the controls nor the mode nor the record edited.
    bool LoadRecord(const std::string& seq);
    // Add mode: empty controls; `defaults` (comma-joined name=value items)
    // go into the added record unless the user filled the same field.
    void NewRecord(std::string defaults = {});

    Mode BindingMode() const { return mode_; }
    // The record edited; after an add, the new record's Seq (empty when the
    // add failed); empty after a delete.
    const std::string& RecordSeq() const { return seq_; }
    // Every mandatory field that add mode shows has a value.
    bool MandatoryFilled() const;

    static QColor NormalColour() { return QColor(255, 255, 255); }
    static QColor MandatoryColour() { return QColor(255, 128, 128); }

private:
    cEditObject* Bind(QWidget* control, cEditObject::Kind kind, std::string_view name, std::string_view flags);
    void BindMemo(QWidget* control, cEditObject* object);
    void InstallExit(cEditObject* object);
    void Display(const cEditObject& object);
    void OnChanged(cEditObject& object);
    void OnExit(cEditObject& object);
    void OnCheckClicked(cEditObject& object);
    void WriteField(cEditObject& object);
    void FillLookup(cEditObject& object);
    void ShowLoaded(cEditObject& object, const StringList& fields);
    void UpdateSaveButton();
    void SaveButtonClicked();

    dbServerConnection& connection_;
    std::string table_;
    QPointer<QWidget> form_;
    std::string aliasList_;
    std::string seq_;
    Mode mode_ = Idle;
    std::string defaults_;
    std::vector<std::unique_ptr<cEditObject>> objects_;
    QPointer<QLineEdit> firstEdit_;
    QPointer<QAbstractButton> saveButton_;
    std::string addCaption_;
    std::string editCaption_;
    std::function<void()> ownClick_;
    std::function<void()> added_;
    std::function<void()> saved_;
    std::function<void(cEditObject&, const StringList&)> customDisplay_;
    // Set while the binding itself fills controls, which is no user change.
    bool loading_ = false;
    // Each field's write, with the value it was loaded with.
    cFieldSaves saves_;
};

}  // namespace dalvero
