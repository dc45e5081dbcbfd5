#include "edit_objects.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <deque>
#include <tuple>
#include <mutex>

#include "db_server_connection.h"
#include "fake_peer.h"
#include "field_tag.h"
#include "frame.h"
#include "scripted_dialogs.h"
#include "widget_window.h"

namespace dalvero {
namespace {

using test::WidgetWindow;

QColor Background(const QWidget* control) { return control->palette().color(QPalette::Base); }

// A DataServer that answers the requests a binding makes: the record's
// fields, one lookup list, and queued answers to adds, updates and deletes.
class RecordServer {
public:
    // One zero-terminated reply.
    std::string Reply(const test::PeerMessage& message) {
        std::lock_guard lock(mutex_);
        if (message.header.command == frame::cmd::kQuery) return lookup + '\0';
        const std::uint32_t sub = message.header.subCommand;
        if (sub == frame::sub::kReadFields) return record + '\0';
        if (sub != frame::sub::kAdd && sub != frame::sub::kUpdate && sub != frame::sub::kDelete)
            return std::string("Error=unexpected,ErrorCode=1") + '\0';
        if (writes_.empty()) return std::string("OK") + '\0';
        std::string reply = writes_.front() + '\0';
        writes_.pop_front();
        return reply;
    }
    void QueueWrite(std::string reply) {
        std::lock_guard lock(mutex_);
        writes_.push_back(std::move(reply));
    }

    std::string record =
        ToCommaText({"Fields=" + ToCommaText({"Seq=7", "f10=Ann", "f11=Lee", "cm11=Bob", "f13=20051225",
                                              "f14=200512251530", "f24=8", "f25=y", "f1001=line one\r\nline two"})});
    std::string lookup = ToCommaText(
        {ToCommaText({"1", "2"}), ToCommaText({"1", "0", "7", "Nurse"}), ToCommaText({"2", "0", "8", "Doctor"}), "2"});

private:
    std::mutex mutex_;
    std::deque<std::string> writes_;
};

class EditObjectsTest : public ::testing::Test {
protected:
    EditObjectsTest()
        : peer_(test::PeerScript().ServeFrames([this](const test::PeerMessage& m) { return server_.Reply(m); })),
          db_("127.0.0.1", peer_.PortText(), "", "", false, 5) {}

    void SetUp() override {
        firstName_ = window_.Add<QLineEdit>();
        lastName_ = window_.Add<QLineEdit>();
        worker_ = window_.Add<QLabel>();
        admitted_ = window_.Add<QLabel>();
        discharged_ = window_.Add<QLabel>();
        type_ = window_.Add<QComboBox>();
        planner_ = window_.Add<QCheckBox>();
        notes_ = window_.Add<QPlainTextEdit>();
        save_ = window_.Add<QPushButton>();
        ASSERT_TRUE(window_.Activate());

        binding_ = new cEditObjects(db_, "Cases", &window_);
        name_ = binding_->AddEdit(firstName_, "f10", "M");
        binding_->AddEdit(lastName_, "f11");
        binding_->AddLabel(worker_, "cm11");
        binding_->AddLabel(admitted_, "f13", "DATE");
        binding_->AddLabel(discharged_, "f14", "DATETIME");
        binding_->AddLookup(type_, "f24", "PersonnelTypes,L2,f10", "M");
        binding_->AddCheck(planner_, "f25");
        binding_->AddMemo(notes_, "f1001");
        binding_->SetSaveButton(save_, "Save", "Delete", [this] { ++ownClicks_; });
        binding_->SetSavedHandler([this] { ++saves_; });
        binding_->SetAddedHandler([this] { ++adds_; });
    }

    // The messages of one kind the server received.
    std::vector<std::string> Requests(std::uint32_t subCommand) const {
        std::vector<std::string> texts;
        for (const auto& message : peer_.Messages())
            if (message.header.command == frame::cmd::kRecord && message.header.subCommand == subCommand)
                texts.push_back(message.Text());
        return texts;
    }

    void Leave(QWidget* control) {
        WidgetWindow::Focus(control);
        WidgetWindow::Focus(save_);
    }

    RecordServer server_;
    test::FakePeer peer_;
    dbServerConnection db_;
    WidgetWindow window_;
    QLineEdit* firstName_ = nullptr;
    QLineEdit* lastName_ = nullptr;
    QLabel* worker_ = nullptr;
    QLabel* admitted_ = nullptr;
    QLabel* discharged_ = nullptr;
    QComboBox* type_ = nullptr;
    QCheckBox* planner_ = nullptr;
    QPlainTextEdit* notes_ = nullptr;
    QPushButton* save_ = nullptr;
    cEditObjects* binding_ = nullptr;
    cEditObject* name_ = nullptr;
    int ownClicks_ = 0;
    int saves_ = 0;
    int adds_ = 0;
};

TEST(EditObjectNames, NamesAndFlags) {
    dbServerConnection db("127.0.0.1", "1", "", "", false, 1);
    QWidget form;
    cEditObjects binding(db, "Cases", &form);
    auto* edit = new QLineEdit(&form);
    cEditObject* due = binding.AddEdit(edit, "f13", "m,date");
    ASSERT_NE(due, nullptr);
    EXPECT_EQ(cEditObject::Of(edit), due);
    EXPECT_EQ(TaggedFieldNumber(edit), 13);
    EXPECT_TRUE(due->Mandatory);
    // Name, flags -> prefix, number, type, allowed when adding / editing.
    for (const auto& [name, flags, prefix, number, type, adding, editing] :
         std::vector<std::tuple<const char*, const char*, const char*, const char*, char, bool, bool>>{
             {"f13", "m,date", "f", "13", 'D', true, true}, {"cm11", "DATETIME", "cm", "11", 'E', true, true},
             {"f9", "Add", "f", "9", 0, true, false}, {"f26", "TIME,E", "f", "26", 'T', false, true}}) {
        SCOPED_TRACE(std::string(name) + " " + flags);
        const cEditObject* object = binding.AddEdit(new QLineEdit(&form), name, flags);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->Prefix + "|" + object->FieldNumber, std::string(prefix) + "|" + number);
        if (type) {
            EXPECT_EQ(object->ValueType, type);
        }
        EXPECT_EQ(object->AllowedWhenAdding, adding);
        EXPECT_EQ(object->AllowedWhenEditing, editing);
    }
    EXPECT_EQ(binding.AddEdit(new QLineEdit(&form), "f"), nullptr);
}

TEST_F(EditObjectsTest, LoadShowsEveryKindAndFormat) {
    ASSERT_TRUE(binding_->LoadRecord("7"));
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Editing);
    EXPECT_EQ(binding_->RecordSeq(), "7");
    EXPECT_EQ(firstName_->text(), "Ann");
    EXPECT_EQ(worker_->text(), "Bob");
    EXPECT_EQ(admitted_->text(), "12/25/2005");
    EXPECT_EQ(discharged_->text(), "12/25/2005 15:30");
    EXPECT_EQ(type_->count(), 2);
    EXPECT_EQ(type_->currentText(), "Doctor");
    EXPECT_TRUE(planner_->isChecked());
    EXPECT_EQ(notes_->toPlainText(), "line one\nline two");
    EXPECT_FALSE(name_->Changed());
    EXPECT_EQ(save_->text(), "Delete");
    EXPECT_TRUE(save_->isVisible());

    const auto reads = Requests(frame::sub::kReadFields);
    ASSERT_EQ(reads.size(), 1u);
    StringList request;
    request.SetCommaText(reads[0]);
    EXPECT_EQ(request.Value("TableName"), "Cases");
    EXPECT_EQ(request.Value("Key"), "7");
    EXPECT_EQ(request.Value("FieldList"), "f10,f11,cm11,f13,f14,f24,f25,f1001");
}

TEST_F(EditObjectsTest, EditModeWritesOnlyAChangedOwnFieldWithTheValueItWasLoadedWith) {
    auto* joinedEdit = window_.Add<QLineEdit>();
    cEditObject* joined = binding_->AddEdit(joinedEdit, "cm13");
    ASSERT_TRUE(binding_->LoadRecord("7"));
    Leave(firstName_);
    // A joined field is never written.
    WidgetWindow::Focus(joinedEdit);
    QTest::keyClicks(joinedEdit, "Smith");
    WidgetWindow::Focus(firstName_);
    EXPECT_TRUE(Requests(frame::sub::kUpdate).empty());
    EXPECT_FALSE(joined->Changed());

    QTest::keyClicks(firstName_, "e");
    EXPECT_TRUE(name_->Changed());
    WidgetWindow::Focus(lastName_);
    ASSERT_EQ(Requests(frame::sub::kUpdate), std::vector<std::string>{"TableName=Cases,Seq=7,f10=Anne,Loaded.f10=Ann"});
    EXPECT_FALSE(name_->Changed());
    EXPECT_EQ(saves_, 1);

    // A memo's line breaks travel as the record keeps them.
    WidgetWindow::Focus(notes_);
    QTest::keyClick(notes_, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(notes_, "!");
    WidgetWindow::Focus(lastName_);
    EXPECT_EQ(Requests(frame::sub::kUpdate).back(), "TableName=Cases,Seq=7,\"f1001=line one||line two!\",\"Loaded.f1001=line one||line two\"");

    planner_->click();
    EXPECT_EQ(Requests(frame::sub::kUpdate).back(), "TableName=Cases,Seq=7,f25=,Loaded.f25=y");
    EXPECT_EQ(Requests(frame::sub::kUpdate).size(), 3u);
}

TEST_F(EditObjectsTest, AFailedWriteIsSaidAndRetriedOnTheNextExit) {
    test::ScriptedDialogs dialogs;
    ASSERT_TRUE(binding_->LoadRecord("7"));
    server_.QueueWrite("Fail");
    WidgetWindow::Focus(lastName_);
    QTest::keyClicks(lastName_, "s");
    dialogs.Answer(QMessageBox::Ok);
    WidgetWindow::Focus(firstName_);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind("This change could not be saved", 0), 0u);
    EXPECT_TRUE(cEditObject::Of(lastName_)->Changed());
    EXPECT_EQ(saves_, 0);
    Leave(lastName_);
    EXPECT_EQ(Requests(frame::sub::kUpdate), (std::vector<std::string>{"TableName=Cases,Seq=7,f11=Lees,Loaded.f11=Lee",
                                                                      "TableName=Cases,Seq=7,f11=Lees,Loaded.f11=Lee"}));
    EXPECT_FALSE(cEditObject::Of(lastName_)->Changed());
    EXPECT_EQ(saves_, 1);
}

TEST_F(EditObjectsTest, AnUnreadableRecordChangesNothing) {
    ASSERT_TRUE(binding_->LoadRecord("7"));
    server_.record = "~";
    EXPECT_FALSE(binding_->LoadRecord("8"));
    EXPECT_EQ(binding_->RecordSeq(), "7");
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Editing);
    EXPECT_EQ(firstName_->text(), "Ann");

    // Nor does it take a binding out of add mode.
    binding_->NewRecord();
    EXPECT_FALSE(binding_->LoadRecord("8"));
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Adding);
    EXPECT_EQ(save_->text(), "Save");
}

TEST_F(EditObjectsTest, AddModeColoursMandatoryFieldsAndHoldsTheButton) {
    // Mandatory only while editing: it neither shows nor blocks the add.
    auto* editOnly = window_.Add<QLineEdit>();
    binding_->AddEdit(editOnly, "f30", "M,E");
    binding_->NewRecord("f9=12");
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Adding);
    EXPECT_FALSE(editOnly->isVisible());
    EXPECT_TRUE(firstName_->hasFocus());
    EXPECT_EQ(Background(firstName_), cEditObjects::MandatoryColour());
    EXPECT_EQ(Background(lastName_), cEditObjects::NormalColour());
    EXPECT_EQ(Background(type_), cEditObjects::MandatoryColour());
    EXPECT_EQ(type_->count(), 2);
    EXPECT_EQ(type_->currentIndex(), -1);
    EXPECT_EQ(save_->text(), "Save");
    EXPECT_TRUE(save_->isVisible());
    EXPECT_FALSE(save_->isEnabled());

    QTest::keyClicks(firstName_, "A");
    EXPECT_EQ(Background(firstName_), cEditObjects::NormalColour());
    EXPECT_FALSE(save_->isEnabled());  // the drop-down is mandatory too
    QTest::keyClick(firstName_, Qt::Key_Backspace);
    EXPECT_EQ(Background(firstName_), cEditObjects::MandatoryColour());
    QTest::keyClicks(firstName_, "Amy");

    type_->setCurrentIndex(0);
    emit type_->activated(0);
    EXPECT_EQ(Background(type_), cEditObjects::NormalColour());
    EXPECT_TRUE(save_->isEnabled());
    EXPECT_TRUE(Requests(frame::sub::kAdd).empty());

    // Enter moves on and types nothing.
    firstName_->clear();
    WidgetWindow::Focus(firstName_);
    QTest::keyClick(firstName_, Qt::Key_Return);
    EXPECT_TRUE(lastName_->hasFocus());
    EXPECT_EQ(firstName_->text(), "");
}

TEST_F(EditObjectsTest, AFailedAddKeepsWhatWasTypedAndTheNextSaveAddsIt) {
    server_.QueueWrite("Error=Duplicate,ErrorCode=3");
    server_.QueueWrite("57");
    binding_->NewRecord("f9=12,f11=Unknown");
    QTest::keyClicks(firstName_, "Amy");
    type_->setCurrentIndex(1);
    emit type_->activated(1);
    planner_->click();
    // The button is pressed without the last field being left first.
    WidgetWindow::Focus(lastName_);
    QTest::keyClicks(lastName_, "Ray");
    save_->click();
    EXPECT_EQ(binding_->RecordSeq(), "");
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Adding);
    EXPECT_TRUE(save_->isVisible());
    EXPECT_EQ(firstName_->text(), "Amy");

    save_->click();
    const auto adds = Requests(frame::sub::kAdd);
    ASSERT_EQ(adds.size(), 2u);
    EXPECT_EQ(adds[0], adds[1]);
    EXPECT_EQ(adds[1], "TableName=Cases,f9=12,f11=Ray,f10=Amy,f24=8,f25=Y");
    EXPECT_EQ(binding_->RecordSeq(), "57");
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Idle);
    EXPECT_FALSE(save_->isVisible());
    EXPECT_EQ(adds_, 2);
    EXPECT_EQ(saves_, 2);
    EXPECT_EQ(ownClicks_, 2);
}

TEST_F(EditObjectsTest, DeleteAsksFirstAndKeepsTheRecordOnNoOrFailure) {
    test::ScriptedDialogs dialogs;
    ASSERT_TRUE(binding_->LoadRecord("7"));
    dialogs.Answer(QMessageBox::No);
    save_->click();
    EXPECT_TRUE(Requests(frame::sub::kDelete).empty());
    EXPECT_EQ(binding_->RecordSeq(), "7");
    EXPECT_EQ(saves_, 0);
    EXPECT_EQ(ownClicks_, 1);

    dialogs.Answer(QMessageBox::Yes);
    save_->click();
    EXPECT_EQ(Requests(frame::sub::kDelete), std::vector<std::string>{"TableName=Cases,Seq=7"});
    EXPECT_EQ(binding_->RecordSeq(), "");
    EXPECT_EQ(binding_->BindingMode(), cEditObjects::Editing);
    EXPECT_EQ(saves_, 1);
    EXPECT_EQ(ownClicks_, 2);

    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].text, "Are you sure you want to delete?");

    // With nothing left to delete there is no question and no request.
    save_->click();
    EXPECT_EQ(Requests(frame::sub::kDelete).size(), 1u);

    // A delete the server refuses keeps the record edited.
    ASSERT_TRUE(binding_->LoadRecord("7"));
    server_.QueueWrite("Fail");
    dialogs.Answer(QMessageBox::Yes);
    save_->click();
    EXPECT_EQ(Requests(frame::sub::kDelete).size(), 2u);
    EXPECT_EQ(binding_->RecordSeq(), "7");
}

}  // namespace
}  // namespace dalvero
