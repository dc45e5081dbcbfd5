// The administration screen on the demo server: a person added with a
// password the server keeps only hashed, duplicate e-mails refused, the
// binding's delete captioned as one, the hospital placed after its zip is
// written, and the state file the same bytes as dalvero-cli's.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "add_provider_form.h"
#include "admin_main_form.h"
#include "control_events.h"
#include "control_text.h"
#include "field_conflict_form.h"
#include "gui_client_fixture.h"
#include "provider_search.h"
#include "report_queries.h"
#include "schema.h"
#include "reports_form.h"
#include "storage.h"
#include "table_catalogue.h"

namespace dalvero {
namespace {

TEST(ProviderSearchRules, OnlyWholeLettersAndDigitsValuesShapeTheFilter) {
    EXPECT_EQ(ProviderSearchFilter("oh", "43215"), "f14=OH,f15=43215");
    EXPECT_EQ(ProviderSearchFilter("O", "4321"), "");
    EXPECT_EQ(ProviderSearchFilter("O,", "4321="), "");
    EXPECT_EQ(ProviderSearchFilter("", "43215"), "f15=43215");
    EXPECT_FALSE(StateStartsSearch(std::string(kProviderAccessCode, 2)));
    EXPECT_TRUE(StateStartsSearch("OH"));
}

class AdminScreen : public test::ClientOnDemoServer {
protected:
    void SetUp() override { StartAs("Administrator"); }

    TAdminMainForm& A() const { return main->Admin(); }
    template <typename T>
    T* In(const char* name) const {
        return Named<T>(*A().Panel(), name);
    }
    // Types text into the edit and leaves it.
    void Type(const char* edit, const std::string& text) const {
        QLineEdit* line = In<QLineEdit>(edit);
        line->setText(QString::fromStdString(text));
        emit line->textEdited(line->text());
        if (ControlEvents::Of(line).Exit) ControlEvents::Of(line).Exit();
        emit line->editingFinished();
    }
    server::Record Stored(const char* table, const std::string& seq) const {
        return server.OpenStore()->Read(table, std::stoll(seq)).value_or(server::Record{});
    }
    int RowOf(const std::string& first) const {
        const auto& rows = A().PersonnelRows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].firstName == first) return static_cast<int>(i);
        return -1;
    }
};

TEST_F(AdminScreen, PersonAddedWithHashedPasswordAndDuplicateEmailsRefused) {
    A().LoadPersonnel();
    const std::size_t before = A().PersonnelRows().size();
    ASSERT_GT(before, 0u);
    const std::string taken = DemoUser("Administrator").email;

    A().PersonnelAddImageClick();
    QPushButton* save = In<QPushButton>("PersonnelSaveButton");
    EXPECT_EQ(save->text(), "Save");
    Type("PersonnelFirstNameEdit", "Nora");
    Type("PersonnelLastNameEdit", "Quill");
    dialogs.Answer(QMessageBox::Ok);
    Type("PersonnelEmailEdit", taken);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, kDuplicatePersonnel);
    EXPECT_EQ(dialogs.shown[0].caption, "Duplicate Personnel");
    EXPECT_EQ(In<QLineEdit>("PersonnelEmailEdit")->text(), "");
    Type("PersonnelEmailEdit", "nora.quill@example.org");
    Type("PersonnelPasswordEdit", "Quill-Secret-7");
    save->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    ASSERT_EQ(A().PersonnelRows().size(), before + 1);

    const int row = RowOf("Nora");
    ASSERT_GE(row, 0);
    const std::string seq = A().PersonnelRows()[static_cast<std::size_t>(row)].seq;
    const std::string hash = Stored("Personnel", seq).Field(catalogue::personnel::kPassword);
    EXPECT_FALSE(hash.empty());
    EXPECT_EQ(hash.find("Quill-Secret-7"), std::string::npos);
    EXPECT_EQ(Field("Personnel", seq, 23), "");

    // In edit mode the button deletes: it says so, and the password edit
    // never shows what is stored.
    In<QListWidget>("PersonnelListBox")->setCurrentRow(row);
    EXPECT_EQ(save->text(), "Delete");
    EXPECT_EQ(In<QLineEdit>("PersonnelPasswordEdit")->text(), "");
    dialogs.Answer(QMessageBox::Ok);
    Type("PersonnelEmailEdit", taken);
    EXPECT_EQ(dialogs.shown.back().caption, "Duplicate Personnel");
    EXPECT_EQ(Stored("Personnel", seq).Field(catalogue::personnel::kEmail), "nora.quill@example.org");
    EXPECT_EQ(In<QLineEdit>("PersonnelEmailEdit")->text(), "nora.quill@example.org");

    // A typed new password replaces the hash; nothing else does.
    Type("PersonnelPasswordEdit", "Another-Secret-8");
    const std::string rehashed = Stored("Personnel", seq).Field(catalogue::personnel::kPassword);
    EXPECT_NE(rehashed, hash);
    EXPECT_EQ(In<QLineEdit>("PersonnelPasswordEdit")->text(), "");

    dialogs.Answer(QMessageBox::Yes);
    save->click();
    EXPECT_FALSE(server.OpenStore()->Read("Personnel", std::stoll(seq)));
    EXPECT_EQ(A().PersonnelRows().size(), before);
    EXPECT_EQ(In<QLineEdit>("PersonnelFirstNameEdit")->text(), "");
}

TEST_F(AdminScreen, PreferredProviderFoundByNameAddedAndRemoved) {
    A().LoadPreferredProviders();
    QListWidget* list = In<QListWidget>("PreferredProvidersListBox");
    const int before = list->count();
    std::string chosen;
    dialogs.InDialog([&](QDialog& d) {
        auto& search = static_cast<TAddProviderForm&>(d);
        auto* name = d.findChild<QLineEdit*>("SearchNameEdit");
        auto* state = d.findChild<QLineEdit*>("StateEdit");
        name->setText("Ro");
        emit name->textEdited(name->text());
        ASSERT_FALSE(search.Rows().empty());
        for (const ProviderRow& row : search.Rows()) EXPECT_EQ(row.name.substr(0, 2), "Ro") << row.name;
        // The access code shows the hidden panels and is not kept.
        EXPECT_FALSE(d.findChild<QPushButton*>("ViewProviderPanel")->isVisibleTo(&d));
        state->setText(kProviderAccessCode);
        emit state->textEdited(state->text());
        EXPECT_TRUE(d.findChild<QPushButton*>("ViewProviderPanel")->isVisibleTo(&d));
        EXPECT_EQ(state->text(), "");
        chosen = search.Rows().front().name;
        search.ProviderListDblClick(0);
    });
    A().AddPreferredProviderButtonClick();
    ASSERT_EQ(list->count(), before + 1);
    const auto added = list->findItems(QString::fromStdString(chosen), Qt::MatchExactly);
    ASSERT_FALSE(added.empty());

    list->setCurrentItem(added.front());
    EXPECT_EQ(In<QLabel>("Preferredp10Label")->text().toStdString(), chosen);
    A().RemovePreferredProviderButtonClick();
    EXPECT_EQ(list->count(), before);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AdminScreen, HospitalIsPlacedFromTheZipJustWrittenAndItsPhonesKeptAsDigits) {
    namespace pos = server::schema::provider_position;
    A().LoadHospital();
    const std::string hospital = main->User.HospitalSeq;
    Type("HospitalFaxEdit", "(614) 555-0166");
    EXPECT_EQ(Stored("ProviderEntities", hospital).Field(catalogue::providers::kFax), "6145550166");
    A().LoadHospital();
    EXPECT_EQ(In<QLineEdit>("HospitalFaxEdit")->text().toStdString(), "(614) 555-0166");

    Type("HospitalZipEdit", "90210");
    server::Record stored = Stored("ProviderEntities", hospital);
    EXPECT_EQ(stored.Field(catalogue::providers::kZip), "90210");
    EXPECT_EQ(stored.Field(pos::kLatitude).substr(0, 5), "34.10");

    // The server can only name a zip it has already stored.
    dialogs.Answer(QMessageBox::Ok);
    Type("HospitalZipEdit", "00000");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Error updating zip code");
    EXPECT_NE(dialogs.shown[0].text.find("There was a problem updating the hospital's zip code:\n"),
              std::string::npos);
    EXPECT_NE(dialogs.shown[0].text.find("\"00000\""), std::string::npos);
}

TEST_F(AdminScreen, HospitalFieldSavesShowAColleaguesChangeAndSayWhenTheyFail) {
    A().LoadHospital();
    const std::string hospital = main->User.HospitalSeq;
    const auto colleague = server.ConnectData();
    ASSERT_TRUE(UpdateRecord(*colleague, "ProviderEntities", hospital, {"f12=1 Her Street"}));
    dialogs.InDialog([](QDialog& conflict) {
        EXPECT_EQ(ControlText(conflict.findChild<QPlainTextEdit*>("TheirsEdit")), "1 Her Street");
        static_cast<TFieldConflictForm&>(conflict).TakeTheirsButtonClick();
    });
    Type("HospitalStreetEdit", "2 His Street");
    EXPECT_EQ(Stored("ProviderEntities", hospital).Field(12), "1 Her Street");
    EXPECT_EQ(In<QLineEdit>("HospitalStreetEdit")->text(), "1 Her Street");

    // With the server away the failure is said; the next save writes it too.
    server.Stop();
    dialogs.Answer(QMessageBox::Ok);
    Type("HospitalCityEdit", "Springfield");
    server.Resume();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind("This change could not be saved", 0), 0u) << dialogs.shown[0].text;
    Type("HospitalAttnEdit", "Front desk");
    EXPECT_EQ(Stored("ProviderEntities", hospital).Field(13), "Springfield");
    EXPECT_EQ(Stored("ProviderEntities", hospital).Field(11), "Front desk");
}

TEST_F(AdminScreen, ReportsTabWritesTheStateFileDalveroCliWrites) {
    Type("ReportBegDateEdit", "01/01/2000");
    Type("ReportEndDateEdit", "12/31/2099");
    std::vector<std::string> asked;
    A().ChooseReportFile = [&](const std::string& name) {
        asked.push_back(name);
        return folder.File("client-" + name);
    };
    std::string shown;
    dialogs.InDialog([&](QDialog& d) {
        shown = static_cast<TReportsForm&>(d).Text();
        d.accept();
    });
    A().MIRCalFileButtonClick();
    ASSERT_EQ(asked, std::vector<std::string>{"View.txt"});
    const std::string client = folder.Read("client-View.txt");
    ASSERT_FALSE(client.empty());
    // The window shows the file's lines; the file is its owner's only.
    std::string lines;
    for (char c : client)
        if (c != '\r') lines += c;
    EXPECT_EQ(shown + "\n", lines);
    EXPECT_EQ(std::filesystem::status(folder.File("client-View.txt")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    folder.Write("password", DemoUser("Administrator").password + "\n");
    // dalvero-cli refuses a password file that others may read.
    std::filesystem::permissions(folder.File("password"), std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::owner_write);
    const std::string command = "cd '" + folder.Path() + "' && '" DALVERO_CLI_PATH "' --ini Dalvero.ini --user '" +
                                DemoUser("Administrator").email + "' --password-file password state-file --from "
                                "20000101 --to 20991231 --out cli-View.txt --spreadsheet cli-View.xls >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(client, folder.Read("cli-View.txt"));

    std::string opened;
    A().OpenDocument = [&](const std::string& path) { opened = path; };
    A().SpreadsheetButtonClick();
    EXPECT_EQ(opened, folder.File("client-View.xls"));
    EXPECT_EQ(folder.Read("client-View.xls"), folder.Read("cli-View.xls"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AdminScreen, CallListPreviewedAndSavedAsPdfAndLateDischargesOpenedUnderTheirOwnNames) {
    dialogs.Answer(QMessageBox::Ok);
    A().NFPrintReportButtonClick();
    EXPECT_EQ(dialogs.shown.back().text, kMissingCaseNumber);
    EXPECT_EQ(dialogs.shown.back().caption, "Missing data");

    std::string caseNumber;
    server::ListRead allCases;
    allCases.table = "Cases";
    for (const server::Record& c : server.OpenStore()->Select(allCases)) {
        const std::string number = c.Field(catalogue::cases::kCaseNumber);
        if (QueryNFPlacement(*session.DataServer, main->User.HospitalSeq, number, std::nullopt).outcome ==
            NFPlacementOutcome::Ready) {
            caseNumber = number;
            break;
        }
    }
    ASSERT_FALSE(caseNumber.empty());
    In<QLineEdit>("NFCaseEdit")->setText(QString::fromStdString(caseNumber));
    A().ChooseReportFile = [&](const std::string& name) { return folder.File(name); };
    dialogs.InDialog([&](QDialog& d) {
        EXPECT_EQ(d.objectName(), "NFPlacementPreview");
        QPushButton* savePdf = d.findChild<QPushButton*>("SaveAsPdfButton");
        ASSERT_NE(savePdf, nullptr);
        savePdf->click();
        d.reject();
    });
    A().NFPrintReportButtonClick();
    EXPECT_EQ(folder.Read("NFPlacementCallList.pdf").substr(0, 5), "%PDF-");

    // The late discharges never overwrite the state file's name.
    Type("ReportBegDateEdit", "01/01/2000");
    Type("ReportEndDateEdit", "12/31/2099");
    // Cancel, clicked while the state file's cases are read, stops it unwritten.
    QTimer::singleShot(0, In<QPushButton>("StateFileCancelButton"), &QPushButton::click);
    A().MIRCalFileButtonClick();
    EXPECT_FALSE(folder.Has("View.txt"));
    EXPECT_TRUE(In<QPushButton>("MIRCalFileButton")->isEnabled());

    std::string opened;
    A().OpenDocument = [&](const std::string& path) { opened = path; };
    A().LateDischargeSpreadsheetButtonClick();
    EXPECT_EQ(opened, folder.File("LateDischarges.xls"));
    const std::string late = folder.Read("LateDischarges.xls");
    EXPECT_NE(late.find('\t'), std::string::npos);
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

}  // namespace
}  // namespace dalvero
