#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "dataserver_fixture.h"
#include "request_error.h"
#include "date_text.h"
#include "file_age.h"
#include "file_transfers.h"
#include "string_list.h"

namespace dalvero::test {
namespace {

namespace fs = std::filesystem;
namespace cmd = frame::cmd;
namespace sub = frame::sub;
using server::DataServerSession;
using server::ErrorCode;

// A connection's bytes held in memory: what the client sent, what came back.
struct MemoryChannel : server::Channel {
    std::string input;
    std::size_t read = 0;
    std::string output;

    bool Read(void* data, std::size_t n) override {
        if (input.size() - read < n) return false;
        std::copy_n(input.data() + read, n, static_cast<char*>(data));
        read += n;
        return true;
    }
    bool Write(const void* data, std::size_t n) override {
        output.append(static_cast<const char*>(data), n);
        return true;
    }

    void SendFrame(std::uint32_t command, std::uint32_t subCommand, const std::string& text) {
        input += *frame::Encode(command, subCommand, text);
    }
    void SendWord(std::uint32_t value) {
        std::uint8_t bytes[4];
        frame::PutUint32(bytes, value);
        input.append(reinterpret_cast<const char*>(bytes), 4);
    }
    // Takes one zero-terminated reply off the output.
    std::string TakeReply() {
        const auto zero = output.find('\0');
        EXPECT_NE(zero, std::string::npos) << "no complete reply";
        std::string reply = output.substr(0, zero);
        output.erase(0, zero == std::string::npos ? output.size() : zero + 1);
        return reply;
    }
    // Takes a download's 8-byte header.
    std::pair<std::uint32_t, std::int32_t> TakeHeader() {
        EXPECT_GE(output.size(), 8u);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(output.data());
        const std::uint32_t size = frame::GetUint32(bytes);
        const auto date = static_cast<std::int32_t>(frame::GetUint32(bytes + 4));
        output.erase(0, 8);
        return {size, date};
    }
};

class SessionTest : public DataServerTest {
protected:
    DataServerSession Fresh() { return DataServerSession(*storage, *logins, *trail, dir.Path(), "10.1.2.3"); }

    std::string ServeOne(MemoryChannel& channel) {
        EXPECT_TRUE(session->ServeNext(channel));
        return channel.TakeReply();
    }

    void WriteNamedFile(const std::string& relative, const std::string& content) {
        const fs::path path = dir.Path() / "files" / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
};

double NowAsDays() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DaySerial({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}) +
           (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

TEST_F(SessionTest, HandshakeAcceptsOnlyThisProgramAndGuardsEverythingElse) {
    DataServerSession fresh = Fresh();
    const std::string query = QueryText("Cases", "L1", "", "", 1, 10, "f10");
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kQuery, 0}, query)), static_cast<int>(ErrorCode::NotAccepted));
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kRecord, sub::kAdd}, "TableName=Cases")),
              static_cast<int>(ErrorCode::NotAccepted));
    EXPECT_EQ(storage->Count("Cases", {}), 5);
    // A refused client still gets the date, or it would ask for it alone and
    // carry on as if accepted.
    const StringList refused(ParseCommaText(fresh.Handle({16, cmd::kHandshake, 0}, "ProgramID=Other")));
    EXPECT_EQ(refused.Value("Accepted"), "N");
    EXPECT_NEAR(ToFloatDef(refused.Value("Date"), 0), NowAsDays(), 0.01);
    EXPECT_FALSE(fresh.Accepted());

    const StringList reply(ParseCommaText(fresh.Handle({18, cmd::kHandshake, 0}, "ProgramID=dalvero")));
    EXPECT_EQ(reply.Value("Accepted"), "Y");
    EXPECT_NEAR(ToFloatDef(reply.Value("Date"), 0), NowAsDays(), 0.01);
    EXPECT_EQ(reply.Value("RunningFolder"), dir.Path().string());
    EXPECT_EQ(reply.Value("RemoteIP"), "10.1.2.3");
    EXPECT_TRUE(fresh.Accepted());
    // Accepted is not logged in: of the rest only the log-in and the client
    // update are served until a log-in succeeds.
    const int notLoggedIn = static_cast<int>(ErrorCode::NotLoggedIn);
    WriteNamedFile("Clients/Dalvero", "new client");
    WriteNamedFile("other.txt", "private");
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kQuery, 0}, query)), notLoggedIn);
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kRecord, sub::kRead}, "TableName=Personnel,Seq=" + data.admin)),
              notLoggedIn);
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kFile, sub::kFileInfo}, "other.txt")), notLoggedIn);
    EXPECT_EQ(StringList(ParseCommaText(fresh.Handle({1, cmd::kFile, sub::kFileInfo}, "Clients\\Dalvero")))
                  .Value("FileSize"),
              "10");
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kLogIn, 0}, "Email=admin@mercy.test,Password=wrong")),
              static_cast<int>(ErrorCode::LoginFailed));
    EXPECT_FALSE(fresh.LoggedIn());
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kLogIn, 0}, "Email=admin@mercy.test,Password=secret")), 0);
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kQuery, 0}, query)), 0);
    EXPECT_EQ(fresh.Handle({1, cmd::kLogOut, 0}, ""), "OK");
    EXPECT_EQ(ErrorCodeOf(fresh.Handle({1, cmd::kQuery, 0}, query)), notLoggedIn);
}

TEST_F(SessionTest, FramesAreServedInTurnAndBrokenFramesEndTheConnection) {
    MemoryChannel channel;
    channel.SendFrame(cmd::kServerDate, 0, "");
    channel.SendFrame(77, 1, "anything");
    channel.SendFrame(cmd::kRecord, sub::kRead, "TableName=Patients,Seq=" + data.pat1);
    EXPECT_NE(ServeOne(channel).find("Date="), std::string::npos);
    EXPECT_EQ(ErrorCodeOf(ServeOne(channel)), static_cast<int>(ErrorCode::UnknownCommand));
    EXPECT_EQ(ParseCommaText(ServeOne(channel)).at(10), "Pat");
    EXPECT_FALSE(session->ServeNext(channel));  // the peer has gone

    for (std::uint32_t length : {0u, frame::kMaxPayload + 1}) {
        MemoryChannel bad;
        std::uint8_t header[12];
        frame::PutUint32(header, length);
        frame::PutUint32(header + 4, cmd::kServerDate);
        frame::PutUint32(header + 8, 0);
        bad.input.assign(reinterpret_cast<const char*>(header), 12);
        bad.input += std::string(64, 'x');
        EXPECT_FALSE(session->ServeNext(bad)) << length;
        EXPECT_TRUE(bad.output.empty());
    }
    MemoryChannel cut;
    cut.SendFrame(cmd::kServerDate, 0, "some payload");
    cut.input.resize(cut.input.size() - 3);
    EXPECT_FALSE(session->ServeNext(cut));
}

TEST_F(SessionTest, NamedFilesComeFromTheFilesFolderOnly) {
    // Downloads themselves go through the client's round trip test.
    const std::string content = "client program";
    WriteNamedFile("Clients/Dalvero.exe", content);
    const std::int32_t age = FileAge((dir.Path() / "files/Clients/Dalvero.exe").string());
    ASSERT_NE(age, 0);

    const StringList info(ParseCommaText(Ask(cmd::kFile, sub::kFileInfo, "Clients\\Dalvero.exe")));
    EXPECT_EQ(info.Value("FileSize"), std::to_string(content.size()));
    EXPECT_EQ(info.Value("FileDate"), std::to_string(age));
    const StringList missing(ParseCommaText(Ask(cmd::kFile, sub::kFileInfo, "Clients\\Nothing.exe")));
    EXPECT_EQ(missing.Value("FileDate"), "0");

    // Names that climb out of the files folder are refused, downloads with an
    // empty header so the client stays in step.
    const fs::path outside = dir.Path() / "secret.txt";
    std::ofstream(outside) << "not for clients";
    for (const std::string& name : {std::string("..\\secret.txt"), std::string("Clients\\..\\..\\secret.txt"),
                                    outside.string(), std::string("C:\\secret.txt"), std::string("")}) {
        EXPECT_EQ(ErrorCodeOf(Ask(cmd::kFile, sub::kFileInfo, name)), static_cast<int>(ErrorCode::FileError)) << name;
        MemoryChannel refused;
        refused.SendFrame(cmd::kFile, sub::kDownload, name);
        ASSERT_TRUE(session->ServeNext(refused));
        EXPECT_EQ(refused.TakeHeader().first, 0u) << name;
        EXPECT_NE(ErrorCodeOf(refused.TakeReply()), 0) << name;
    }
}

TEST_F(SessionTest, RefusedUploadsAreAnsweredAndEndTheConnectionWithTheirContentUnread) {
    const std::uint32_t announced = 0xffffffffu;  // 4 GiB that never need to come
    auto upload = [&](MemoryChannel& channel, const std::string& request) {
        channel.SendFrame(cmd::kRecordFile, sub::kUpload, request);
        channel.SendWord(announced);
        channel.input += "zz";
    };
    const std::vector<std::string> refused = {
        "Nowhere," + data.mercy + ",1,5",           // no such table
        "ProviderEntities," + data.mercy + ",0,5",  // no such slot
        "ProviderEntities," + data.mercy,           // half a request
        "ProviderEntities," + data.mercy + ",1,5",  // too large
    };
    DataServerSession fresh = Fresh();
    for (DataServerSession* s : {session.get(), &fresh}) {  // logged in, then before the handshake
        for (const std::string& request : refused) {
            MemoryChannel channel;
            upload(channel, request);
            EXPECT_FALSE(s->ServeNext(channel)) << request;
            EXPECT_NE(ErrorCodeOf(channel.TakeReply()), 0) << request;
            EXPECT_LT(channel.read, channel.input.size() - 1) << request << ": content was read";
        }
    }
    EXPECT_FALSE(storage->ReadRecordFile("ProviderEntities", std::stoll(data.mercy), 1));
}

}  // namespace
}  // namespace dalvero::test
