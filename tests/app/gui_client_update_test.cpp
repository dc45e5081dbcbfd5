// Self-update: whether the server's copy is newer, and the swap of a
// stand-in executable, against a scripted server; the login window during an
// update from the real server.
#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "client_update.h"
#include "db_server_connection.h"
#include "fake_peer.h"
#include "file_age.h"
#include "frame.h"
#include "gui_client_fixture.h"

namespace dalvero {
namespace {

using test::FakePeer;
using test::PeerScript;
using test::ScriptedDialogs;
using test::TempFolder;

constexpr std::int32_t kOldDate = 1'600'000'000;
constexpr std::int32_t kNewDate = 1'700'000'000;
constexpr char kRemote[] = "Clients\\Dalvero";

// The new executable answers "--version" and marks that it was started,
// beside itself.
const std::string kNewProgram =
    "#!/bin/sh\n[ \"$1\" = --version ] && { echo 'Dalvero 9.9'; exit 0; }\n"
    "echo started > \"$(dirname \"$0\")/started\"\n";

std::string FileInfo(std::int32_t date, std::size_t size = 10) {
    return "FileSize=" + std::to_string(size) + ",FileDate=" + std::to_string(date);
}

// A server whose copy's file info gives infoSize and the new date, and
// whose download announces its size and date, then sends content.
PeerScript Offer(const std::string& content, std::size_t infoSize, std::int32_t date, std::size_t announced) {
    std::string download(8, '\0');
    frame::PutUint32(reinterpret_cast<std::uint8_t*>(download.data()), static_cast<std::uint32_t>(announced));
    frame::PutUint32(reinterpret_cast<std::uint8_t*>(download.data() + 4), static_cast<std::uint32_t>(date));
    return PeerScript().ReadFrame().Reply(FileInfo(kNewDate, infoSize)).ReadFrame().Send(download + content);
}
// The same, all of it agreeing.
PeerScript Offer(const std::string& content) { return Offer(content, content.size(), kNewDate, content.size()); }

class ClientUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("Dalvero", "old program");
        SetFileAge(folder.File("Dalvero"), kOldDate);
    }

    // The update as the login window runs it, over a plain connection to peer.
    bool Update(FakePeer& peer, const std::string& executable) {
        dbServerConnection db("127.0.0.1", peer.PortText(), "", "", false, 20);
        cClientUpdate update(db, kRemote, folder.Path(), nullptr, executable, [this] { ++ends; });
        if (update.UpdateNeeded) update.Run();
        return update.UpdateNeeded;
    }

    TempFolder folder;
    ScriptedDialogs dialogs;
    int ends = 0;
};

TEST_F(ClientUpdate, OnlyANewerServerCopyIsNeeded) {
    FakePeer peer(PeerScript().ReadFrame().Reply(FileInfo(kOldDate)).ReadFrame().Reply(FileInfo(0)));
    {
        dbServerConnection db("127.0.0.1", peer.PortText(), "", "", false, 20);
        const auto end = [] { FAIL() << "nothing to end"; };
        EXPECT_FALSE(cClientUpdate(db, kRemote, folder.Path(), nullptr, folder.File("Dalvero"), end).UpdateNeeded);
        EXPECT_FALSE(cClientUpdate(db, kRemote, folder.Path(), nullptr, folder.File("Dalvero"), end).UpdateNeeded);
    }
    ASSERT_TRUE(peer.WaitFinished(1));
    EXPECT_EQ(peer.Messages().at(0).Text(), kRemote);
    EXPECT_EQ(peer.Messages().at(0).header.subCommand, frame::sub::kFileInfo);
}

TEST_F(ClientUpdate, NewerCopySwappedInAndStarted) {
    folder.Write("Dalvero.tmp", "left over from an earlier attempt");
    folder.Write("Dalvero.bak", "an older backup");
    FakePeer peer(Offer(kNewProgram).Reply("Done"));
    ASSERT_TRUE(Update(peer, folder.File("Dalvero")));

    EXPECT_EQ(peer.Messages().at(1).header.subCommand, frame::sub::kDownload);
    EXPECT_EQ(folder.Read("Dalvero"), kNewProgram);
    EXPECT_EQ(FileAge(folder.File("Dalvero")), kNewDate);
    EXPECT_EQ(folder.Read("Dalvero.bak"), "old program");
    EXPECT_FALSE(folder.Has("Dalvero.tmp"));
    const auto perms = std::filesystem::status(folder.File("Dalvero")).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(dialogs.shown.empty());
    // The new program runs on its own; give it generous time to show up.
    for (int i = 0; i < 200 && !folder.Has("started"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(folder.Has("started"));
}

TEST_F(ClientUpdate, ACopyThatDoesNotStartOrIsNotTheOneAnnouncedIsNeverSwappedIn) {
    const std::string damaged[] = {"MZ\x90 not for this platform", "#!/bin/sh\necho 'Dalvero 9.9'; exit 3\n"};
    // Two copies that do not start; then fewer bytes than the file info gave,
    // or another file date: the server sent something else than the copy it
    // announced.
    for (PeerScript script : {Offer(damaged[0]), Offer(damaged[1]), Offer("only ten b", 20, kNewDate, 10),
                              Offer("only ten b", 10, kNewDate + 60, 10)}) {
        FakePeer peer(script.Reply("Done"));
        dialogs.Answer(QMessageBox::Ok);
        ASSERT_TRUE(Update(peer, folder.File("Dalvero")));
        EXPECT_EQ(folder.Read("Dalvero"), "old program");
        EXPECT_FALSE(folder.Has("Dalvero.tmp"));
        EXPECT_FALSE(folder.Has("Dalvero.bak"));
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_EQ(dialogs.shown.back().caption, "Update failed");
    }
    EXPECT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ClientUpdate, BrokenDownloadLeavesTheProgramAsItWas) {
    folder.Write("Dalvero.bak", "an older backup");
    FakePeer peer(Offer("only ten b", 100, kNewDate, 100).Close());
    ASSERT_TRUE(Update(peer, folder.File("Dalvero")));
    EXPECT_EQ(folder.Read("Dalvero"), "old program");
    EXPECT_EQ(folder.Read("Dalvero.bak"), "an older backup");
    EXPECT_FALSE(folder.Has("Dalvero.tmp"));
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ClientUpdate, HeldExecutableEndsTheProgramWithAMessage) {
    // The executable cannot be moved aside: here it is not where the
    // update expects it.
    folder.Write("Elsewhere", "old program");
    SetFileAge(folder.File("Elsewhere"), kOldDate);
    std::filesystem::remove(folder.File("Dalvero"));
    FakePeer peer(Offer(kNewProgram).Reply("Done"));
    dialogs.Answer(QMessageBox::Ok);
    ASSERT_TRUE(Update(peer, folder.File("Elsewhere")));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Another copy of this application is runnng.");
    EXPECT_EQ(dialogs.shown[0].text,
              "I need to update this application but another copy is still running.\n"
              "Close any others that are running and restart, and this application will be updated.");
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(folder.Has("Dalvero"));
}

class UpdateAtLogin : public test::ClientOnDemoServer {};

TEST_F(UpdateAtLogin, LoginWaitsWhileTheNewVersionArrives) {
    const std::string program = kNewProgram;
    std::ofstream(server.DataDir() / "files" / "Clients" / "Dalvero", std::ios::binary) << program;
    folder.Write("Dalvero", "old program");
    SetFileAge(folder.File("Dalvero"), kOldDate);
    Start();
    const auto* button = login->findChild<QPushButton*>("LoginButton");
    const auto* user = login->findChild<QLineEdit*>("UserEdit");
    std::vector<bool> loginUsable;
    QObject::connect(login->findChild<QProgressBar*>("UpdateProgressBar"), &QProgressBar::valueChanged,
                     [&] { loginUsable.push_back(button->isEnabled() || user->isEnabled()); });
    login->FormPaint();
    ASSERT_FALSE(loginUsable.empty());
    EXPECT_EQ(std::count(loginUsable.begin(), loginUsable.end(), true), 0);
    EXPECT_EQ(folder.Read("Dalvero"), program);
    EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace dalvero
