#include "edit_objects.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <optional>
#include <cctype>

#include "control_events.h"
#include "control_text.h"
#include "date_text.h"
#include "dialog_seam.h"
#include "field_tag.h"
#include "phone_text.h"
#include "record_batch.h"
#include "record_ops.h"
#include "table_catalogue.h"

namespace dalvero {

namespace {

constexpr char kObjectProperty[] = "cEditObject";
constexpr int kLookupLimit = 10000;

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return upper;
}

// Stored "yyyymmdd" or "yyyymmddhhnn..." as a label shows it.
std::string Formatted(const std::string& value, char valueType) {
    if (valueType == 'D') return DateToDisplay(value);
    if (valueType == 'E') {
        const std::string time = StampTimeOfDay(value);
        return DateToDisplay(value) + (time.empty() ? std::string() : " " + time);
    }
    return value;
}

// The drop-down's selected record Seq, or empty.
std::string SelectedSeq(const QComboBox* combo) {
    return combo->currentIndex() < 0 ? std::string() : combo->currentData().toString().toStdString();
}

// What the control holds as a field value now.
std::string CurrentValue(const cEditObject& object) {
    switch (object.ObjectKind) {
    case cEditObject::DropDown:
        return SelectedSeq(static_cast<QComboBox*>(object.Control.data()));
    case cEditObject::CheckBox:
        return static_cast<QCheckBox*>(object.Control.data())->isChecked() ? catalogue::kYes : "";
    default:
        return object.ValueType == 'P' ? PhoneDigits(ControlText(object.Control)) : ControlText(object.Control);
    }
}

void Colour(QWidget* control, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, colour);
    if (qobject_cast<QComboBox*>(control)) palette.setColor(QPalette::Button, colour);
    control->setPalette(palette);
}

}  // namespace

cEditObject* cEditObject::Of(const QWidget* control) {
    return control ? static_cast<cEditObject*>(control->property(kObjectProperty).value<void*>()) : nullptr;
}

bool cEditObject::Changed() const { return IsFieldChanged(Control); }

void cEditObject::SetChanged(bool changed) { SetFieldChanged(Control, changed); }

cEditObjects::cEditObjects(dbServerConnection& connection, std::string table, QWidget* form)
    : QObject(form), connection_(connection), table_(std::move(table)), form_(form) {}

cEditObjects::~cEditObjects() {
    for (const auto& object : objects_)
        if (object->Control) object->Control->setProperty(kObjectProperty, QVariant());
}

cEditObject* cEditObjects::Bind(QWidget* control, cEditObject::Kind kind, std::string_view name,
                                std::string_view flags) {
    if (name.size() < 2) return nullptr;
    auto object = std::make_unique<cEditObject>();
    const auto split = std::find_if(name.begin(), name.end(), [](char c) { return c < ':'; });
    object->Prefix.assign(name.begin(), split);
    object->FieldNumber = std::string(split, name.end()).substr(0, 9);
    object->Owner = this;
    object->ObjectKind = kind;
    object->Control = control;

    bool adding = false;
    bool editing = false;
    for (const std::string& item : ParseCommaText(flags)) {
        const std::string flag = Upper(item);
        if (flag == "DATE")
            object->ValueType = 'D';
        else if (flag == "TIME")
            object->ValueType = 'T';
        else if (flag == "DATETIME")
            object->ValueType = 'E';
        else if (flag == "PHONE")
            object->ValueType = 'P';
        else if (flag.starts_with('M'))
            object->Mandatory = true;
        else if (flag.starts_with('A'))
            adding = true;
        else if (flag.starts_with('E'))
            editing = true;
    }
    if (adding || editing) {
        object->AllowedWhenAdding = adding;
        object->AllowedWhenEditing = editing;
    }

    SetFieldTag(control, ToIntDef(object->FieldNumber, 0));
    control->setProperty(kObjectProperty, QVariant::fromValue(static_cast<void*>(object.get())));
    objects_.push_back(std::move(object));
    return objects_.back().get();
}

// The binding's exit runs after the handler it found; once the binding is
// gone, only that handler remains.
void cEditObjects::InstallExit(cEditObject* object) {
    ControlEvents& events = ControlEvents::Of(object->Control);
    object->ChainedExit = events.Exit;
    events.Exit = [self = QPointer<cEditObjects>(this), object, chained = events.Exit] {
        if (self)
            self->OnExit(*object);
        else if (chained)
            chained();
    };
}

cEditObject* cEditObjects::AddEdit(QLineEdit* control, std::string_view name, std::string_view flags) {
    cEditObject* object = Bind(control, cEditObject::EditBox, name, flags);
    if (!object) return nullptr;
    control->clear();
    if (!firstEdit_) firstEdit_ = control;
    connect(control, &QLineEdit::textEdited, this, [this, object] { OnChanged(*object); });
    InstallExit(object);
    ControlEvents& events = ControlEvents::Of(control);
    events.KeyPress = [self = QPointer<cEditObjects>(this), control, chained = events.KeyPress](QKeyEvent& key) {
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (self && enter && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            MoveFocusToNext(control);
            return true;
        }
        return chained && chained(key);
    };
    return object;
}

cEditObject* cEditObjects::AddLabel(QLabel* control, std::string_view name, std::string_view flags) {
    cEditObject* object = Bind(control, cEditObject::Label, name, flags);
    if (object) control->clear();
    return object;
}

void cEditObjects::BindMemo(QWidget* control, cEditObject* object) {
    SetControlText(control, "");
    QTextDocument* document = qobject_cast<QPlainTextEdit*>(control) ? static_cast<QPlainTextEdit*>(control)->document()
                                                                     : static_cast<QTextEdit*>(control)->document();
    // Text set by a program leaves the document unmodified; typing does not.
    connect(document, &QTextDocument::contentsChanged, this, [this, object, document] {
        if (!loading_ && document->isModified()) OnChanged(*object);
    });
    InstallExit(object);
}

cEditObject* cEditObjects::AddMemo(QPlainTextEdit* control, std::string_view name, std::string_view flags) {
    cEditObject* object = Bind(control, cEditObject::Memo, name, flags);
    if (object) BindMemo(control, object);
    return object;
}

cEditObject* cEditObjects::AddMemo(QTextEdit* control, std::string_view name, std::string_view flags) {
    cEditObject* object = Bind(control, cEditObject::Memo, name, flags);
    if (object) BindMemo(control, object);
    return object;
}

cEditObject* cEditObjects::AddLookup(QComboBox* control, std::string_view name, std::string_view lookupSource,
                                     std::string_view flags) {
    cEditObject* object = Bind(control, cEditObject::DropDown, name, flags);
    if (!object) return nullptr;
    object->LookupSource = lookupSource;
    connect(control, &QComboBox::activated, this, [this, object] { OnChanged(*object); });
    connect(control, &QComboBox::editTextChanged, this, [this, object] {
        if (!loading_) OnChanged(*object);
    });
    InstallExit(object);
    return object;
}

cEditObject* cEditObjects::AddCheck(QCheckBox* control, std::string_view name, std::string_view flags) {
    cEditObject* object = Bind(control, cEditObject::CheckBox, name, flags);
    if (object) connect(control, &QCheckBox::clicked, this, [this, object] { OnCheckClicked(*object); });
    return object;
}

void cEditObjects::SetSaveButton(QAbstractButton* button, std::string addCaption, std::string editCaption,
                                 std::function<void()> ownClick) {
    saveButton_ = button;
    addCaption_ = std::move(addCaption);
    editCaption_ = std::move(editCaption);
    ownClick_ = std::move(ownClick);
    connect(button, &QAbstractButton::clicked, this, &cEditObjects::SaveButtonClicked);
    button->hide();
}

void cEditObjects::SetAliasList(std::string aliasList) { aliasList_ = std::move(aliasList); }
void cEditObjects::SetAddedHandler(std::function<void()> handler) { added_ = std::move(handler); }
void cEditObjects::SetSavedHandler(std::function<void()> handler) { saved_ = std::move(handler); }
void cEditObjects::SetCustomDisplayHandler(std::function<void(cEditObject&, const StringList&)> handler) {
    customDisplay_ = std::move(handler);
}

void cEditObjects::Display(const cEditObject& object) {
    if (object.ObjectKind == cEditObject::Label || object.ObjectKind == cEditObject::CheckBox) return;
    const bool missing = object.Mandatory && CurrentValue(object).empty();
    Colour(object.Control, missing ? MandatoryColour() : NormalColour());
}

bool cEditObjects::MandatoryFilled() const {
    return std::none_of(objects_.begin(), objects_.end(), [](const auto& object) {
        return object->Mandatory && object->AllowedWhenAdding && object->ObjectKind != cEditObject::Label &&
               CurrentValue(*object).empty();
    });
}

void cEditObjects::UpdateSaveButton() {
    if (mode_ == Adding && saveButton_) saveButton_->setEnabled(MandatoryFilled());
}

void cEditObjects::OnChanged(cEditObject& object) {
    object.SetChanged(true);
    Display(object);
    UpdateSaveButton();
    if (object.ChangedHandler) object.ChangedHandler(object);
}

void cEditObjects::OnExit(cEditObject& object) {
    if (object.ChainedExit) {
        object.Cancel = false;
        object.ChainedExit();
        if (object.Cancel) return;
    }
    if (mode_ == Adding) {
        object.Value = CurrentValue(object);
        UpdateSaveButton();
        return;
    }
    WriteField(object);
}

void cEditObjects::OnCheckClicked(cEditObject& object) {
    object.Value = CurrentValue(object);
    object.SetChanged(true);
    if (mode_ == Adding)
        UpdateSaveButton();
    else
        WriteField(object);
}

// One field, on its own, into the record edited. Joined fields are never
// written. A failed write keeps the change, so leaving the field again
// retries it.
void cEditObjects::WriteField(cEditObject& object) {
    if (!object.Changed()) return;
    if (object.Prefix != "f" || seq_.empty()) {
        object.SetChanged(false);
        return;
    }
    object.Value = CurrentValue(object);
    // Through the field saves: a failure is said and kept to be written
    // again, and a colleague's change since the record was loaded is shown
    // beside this one instead of being overwritten.
    const int field = ToIntDef(object.FieldNumber, 0);
    if (!saves_.SaveText(connection_, table_, seq_, field, object.Value, form_)) return;
    object.SetChanged(false);
    if (const std::optional<std::string> stored = saves_.LoadedValue(table_, seq_, field);
        stored && *stored != object.Value) {
        loading_ = true;
        ShowLoaded(object, StringList{object.Name() + "=" + *stored});
        loading_ = false;
    }
    if (saved_) saved_();
}

void cEditObjects::FillLookup(cEditObject& object) {
    auto* combo = static_cast<QComboBox*>(object.Control.data());
    combo->clear();
    const std::vector<std::string> source = ParseCommaText(object.LookupSource);
    if (source.size() < 3) return;
    cRecordBatch batch;
    if (!batch.Query(&connection_, source[0], source[1], "", "", 0, kLookupLimit, source[2], "", "", "F") ||
        !batch.Set->First())
        return;
    do {
        combo->addItem(QString::fromStdString(batch.Set->ReadField(source[2])),
                       QString::fromStdString(batch.Set->Seq).toLongLong());
    } while (batch.Set->Next());
}

void cEditObjects::ShowLoaded(cEditObject& object, const StringList& fields) {
    if (object.FieldNumber.starts_with('*')) {
        if (customDisplay_) customDisplay_(object, fields);
        return;
    }
    object.Value = fields.Value(object.Name());
    if (object.Value == catalogue::kEmptyValue) object.Value.clear();
    switch (object.ObjectKind) {
    case cEditObject::Label:
        SetControlText(object.Control, Formatted(object.Value, object.ValueType));
        break;
    case cEditObject::DropDown: {
        FillLookup(object);
        auto* combo = static_cast<QComboBox*>(object.Control.data());
        combo->setCurrentIndex(
            object.Value.empty() ? -1 : combo->findData(QString::fromStdString(object.Value).toLongLong()));
        break;
    }
    case cEditObject::CheckBox:
        static_cast<QCheckBox*>(object.Control.data())->setChecked(Upper(object.Value) == "Y" || object.Value == "1");
        break;
    default:
        SetControlText(object.Control, object.ValueType == 'P' ? FormatPhone(PhoneDigits(object.Value)) : object.Value);
        break;
    }
}

bool cEditObjects::LoadRecord(const std::string& seq) {
    std::vector<std::string> names;
    for (const auto& object : objects_)
        if (!object->FieldNumber.starts_with('*') &&
            std::find(names.begin(), names.end(), object->Name()) == names.end())
            names.push_back(object->Name());
    std::string fieldText = ToCommaText(names);
    if (!ReadRecordFields(connection_, table_, seq, fieldText, aliasList_)) return false;
    StringList fields;
    fields.SetCommaText(fieldText);

    mode_ = Editing;
    seq_ = seq;
    loading_ = true;
    std::vector<QWidget*> texts;
    for (const auto& object : objects_) {
        object->Control->setVisible(object->AllowedWhenEditing);
        if (!object->AllowedWhenEditing) continue;
        ShowLoaded(*object, fields);
        object->SetChanged(false);
        Display(*object);
        if (object->Prefix != "f") continue;
        saves_.Loaded(table_, seq_, ToIntDef(object->FieldNumber, 0), object->Value);
        const bool plainText = object->ObjectKind == cEditObject::EditBox || object->ObjectKind == cEditObject::Memo;
        if (plainText && object->ValueType == 0) texts.push_back(object->Control);
    }
    loading_ = false;
    // Text the server refused for good (a value it does not take) was kept.
    saves_.OfferRecovered(table_, seq_, texts, form_);
    if (saveButton_) {
        saveButton_->setText(QString::fromStdString(editCaption_));
        saveButton_->setVisible(!editCaption_.empty());
        saveButton_->setEnabled(true);
    }
    return true;
}

void cEditObjects::NewRecord(std::string defaults) {
    mode_ = Adding;
    defaults_ = std::move(defaults);
    seq_.clear();
    loading_ = true;
    for (const auto& object : objects_) {
        object->Control->setVisible(object->AllowedWhenAdding);
        if (!object->AllowedWhenAdding) continue;
        object->Value.clear();
        switch (object->ObjectKind) {
        case cEditObject::DropDown:
            FillLookup(*object);
            static_cast<QComboBox*>(object->Control.data())->setCurrentIndex(-1);
            break;
        case cEditObject::CheckBox:
            static_cast<QCheckBox*>(object->Control.data())->setChecked(false);
            break;
        default:
            SetControlText(object->Control, "");
            break;
        }
        object->SetChanged(false);
        Display(*object);
    }
    loading_ = false;
    if (saveButton_) {
        saveButton_->setText(QString::fromStdString(addCaption_));
        saveButton_->show();
        saveButton_->setEnabled(MandatoryFilled());
    }
    if (firstEdit_ && firstEdit_->isVisible() && firstEdit_->isEnabled()) firstEdit_->setFocus(Qt::OtherFocusReason);
}

void cEditObjects::SaveButtonClicked() {
    if (mode_ == Adding) {
        // The values are taken from the controls now: the button may be
        // pressed without the last field ever being left.
        StringList values;
        if (!defaults_.empty()) values.SetCommaText(defaults_);
        for (const auto& object : objects_) {
            if (!object->Changed() || object->Prefix != "f" || !object->AllowedWhenAdding) continue;
            object->Value = CurrentValue(*object);
            values.SetValue(object->Name(), object->Value);
        }
        if (saveButton_) saveButton_->hide();
        seq_ = AddRecord(connection_, table_, values);
        // A failed add keeps what was typed, to be added again.
        if (!seq_.empty())
            mode_ = Idle;
        else if (saveButton_)
            saveButton_->show();
        if (added_) added_();
        if (saved_) saved_();
    } else if (mode_ == Editing && !seq_.empty()) {
        if (ShowMessageBox(form_, "Are you sure you want to delete?", "Warning", QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::Warning) == QMessageBox::Yes) {
            // A failed delete keeps the record Seq: the record is still there.
            if (DeleteRecord(connection_, table_, seq_)) seq_.clear();
            if (saved_) saved_();
        }
    }
    if (ownClick_) ownClick_();
}

}  // namespace dalvero
